// command_line.h -- skirmo's options: one table read by the parser, --help and the man page
#pragma once

#include <span>
#include <string>

#include "platform/api/desktop.h"

// What the command line asked for. Each option's handler fills in its own field; main reads
// them once, before the game starts.
struct CommandLine {
    bool help = false;
    bool version = false;
    std::string dataFolder; // --data: empty to look in the usual places
    std::string mode;       // --mode: the dialog's button to press; empty to show the dialog
    bool noSound = false;   // --no-sound (and --sound, which undoes it: the last one counts)
    WindowChoice window = WindowChoice::Remembered; // --window, --fullscreen
    std::string record;                             // --record: where to record the game, or empty
    std::string demo;                               // --demo: the recorded game to watch, or empty
};

// One option: its name ("--data"), the name of its value ("DIR", or nullptr for a switch), one
// line of help, and what it does to the CommandLine: apply gets the value (nullptr for a
// switch) and returns nullptr when it takes it, or else what the value should have been ("a
// folder"). A new option is one more row of CommandLineOptions and, when it has a setting, one
// more field above.
struct CommandLineOption {
    const char* name;
    const char* argument;
    const char* help;
    const char* (*apply)(CommandLine& commandLine, const char* value);
};

extern const std::span<const CommandLineOption> CommandLineOptions;
extern const char* const ProgramVersion; // the project's version, from the build

// True for a picture size the start-up dialog offers, spelled as its button is ("800x600").
bool IsScreenMode(const std::string& mode);

// After --help or --version: true when what was printed reached standard output. When it went
// nowhere (a full disk, a closed pipe), program says so on standard error: no success then.
bool StandardOutputWritten(const char* program);

// Reads argv into commandLine; a value may follow its option as the next argument or after
// '=' ("--data DIR", "--data=DIR"). Returns -1 when the game should start, or the exit status
// to leave with: 0 after --help or --version (printed on standard output; 1 if that output
// could not be written), 2 after a bad argument (one line on standard error naming it).
int ReadCommandLine(int argc, char** argv, CommandLine& commandLine);
