// command_line.cpp -- skirmo's options, --help and --version
//
// The game itself has no options: everything here is about the program around it, or answers
// its start-up dialog ahead of time. The same table makes the man page (tools/manpage), so the
// two never disagree.
#include "shell/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/exit_status.h"

const char* const ProgramVersion = SKIRMO_VERSION;

namespace {

const char* const Taken = nullptr;

const CommandLineOption Options[] = {
    {"--help", nullptr, "show this help and exit",
     [](CommandLine& c, const char*) {
         c.help = true;
         return Taken;
     }},
    {"--version", nullptr, "show the version and exit",
     [](CommandLine& c, const char*) {
         c.version = true;
         return Taken;
     }},
    {"--window", nullptr, "start in a window this time (F11 switches while playing)",
     [](CommandLine& c, const char*) {
         c.window = WindowChoice::Window;
         return Taken;
     }},
    {"--fullscreen", nullptr, "start full screen this time (else as it was left)",
     [](CommandLine& c, const char*) {
         c.window = WindowChoice::Fullscreen;
         return Taken;
     }},
    {"--data", "DIR", "read the game's files from DIR, and from nowhere else",
     [](CommandLine& c, const char* dir) {
         std::error_code error;
         if (!std::filesystem::is_directory(dir, error)) return "a folder";
         c.dataFolder = dir;
         return Taken;
     }},
    {"--mode", "SIZE", "skip the start-up dialog: play at SIZE, 640x480 or 800x600",
     [](CommandLine& c, const char* size) {
         if (!IsScreenMode(size)) return "640x480 or 800x600";
         c.mode = size;
         return Taken;
     }},
    {"--no-sound", nullptr, "play without sound (without --mode: the dialog's box is ticked)",
     [](CommandLine& c, const char*) {
         c.noSound = true;
         return Taken;
     }},
    {"--sound", nullptr, "play with sound (the default)",
     [](CommandLine& c, const char*) {
         c.noSound = false;
         return Taken;
     }},
    {"--record", "FILE", "record the game into FILE, to watch again: skirmo --demo FILE",
     [](CommandLine& c, const char* file) {
         if (!*file) return "a file";
         c.record = file;
         return Taken;
     }},
    {"--demo", "FILE", "watch the game recorded in FILE, with its sound; Esc ends it",
     [](CommandLine& c, const char* file) {
         if (!*file) return "a file";
         c.demo = file;
         return Taken;
     }},
};

const CommandLineOption* Find(const std::string& name) {
    for (const CommandLineOption& option : Options)
        if (name == option.name) return &option;
    return nullptr;
}

int Refuse(const std::string& what) {
    std::fprintf(stderr, "skirmo: %s (skirmo --help lists the options)\n", what.c_str());
    return ExitBadCommandLine;
}

void PrintHelp() {
    std::printf("Usage: skirmo [OPTION]...\n"
                "Velmora, a small arcade game of air-to-air combat seen from straight above.\n\n");
    for (const CommandLineOption& option : Options) {
        std::string left = option.name;
        if (option.argument) left += std::string(" ") + option.argument;
        std::printf("  %-18s %s\n", left.c_str(), option.help);
    }
    std::printf(
        "\nWithout --data the game reads its files from the first of these folders that\n"
        "holds them: the current folder, the program's own folder, $XDG_DATA_HOME/velmora,\n"
        "each of $XDG_DATA_DIRS with /velmora, the folder it was installed with. The keys\n"
        "are in skirmo(6).\n");
}

int Printed() { return StandardOutputWritten("skirmo") ? 0 : ExitNoWindow; }

} // namespace

bool StandardOutputWritten(const char* program) {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program,
                 std::strerror(errno));
    return false;
}

const std::span<const CommandLineOption> CommandLineOptions(Options);

bool IsScreenMode(const std::string& mode) { return mode == "640x480" || mode == "800x600"; }

int ReadCommandLine(int argc, char** argv, CommandLine& commandLine) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word.rfind("--", 0) != 0) return Refuse("unexpected argument '" + word + "'");
        std::size_t equals = word.find('=');
        std::string name = word.substr(0, equals);
        const CommandLineOption* option = Find(name);
        if (!option) return Refuse("unknown option '" + name + "'");
        const char* value = nullptr;
        if (option->argument) {
            if (equals != std::string::npos)
                value = argv[i] + equals + 1;
            else if (i + 1 < argc)
                value = argv[++i];
            else
                return Refuse(name + " needs a value: " + name + " " + option->argument);
        } else if (equals != std::string::npos) {
            return Refuse(name + " takes no value");
        }
        if (const char* wanted = option->apply(commandLine, value))
            return Refuse(name + ": '" + value + "' is not " + wanted);
    }
    // A recorded game brings its own answers to the dialog.
    if (!commandLine.demo.empty()) {
        if (!commandLine.mode.empty()) return Refuse("--mode cannot go with --demo");
        if (commandLine.noSound) return Refuse("--no-sound cannot go with --demo");
        if (!commandLine.record.empty()) return Refuse("--record cannot go with --demo");
    }
    if (commandLine.help) {
        PrintHelp();
        return Printed();
    }
    if (commandLine.version) {
        std::printf("skirmo (Velmora) %s\n", ProgramVersion);
        return Printed();
    }
    return -1;
}
