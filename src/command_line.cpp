// command_line.cpp -- skirmo's options, --help and --version
//
// The game itself has no options: everything here is about the program around it. The same
// table makes the man page (tools/manpage), so the two never disagree.
#include "command_line.h"

#include <cstdio>
#include <string>

const char* const ProgramVersion = SKIRMO_VERSION;

namespace {

const CommandLineOption Options[] = {
    {"--help", nullptr, "show this help and exit",
     [](CommandLine& c, const char*) { return c.help = true; }},
    {"--version", nullptr, "show the version and exit",
     [](CommandLine& c, const char*) { return c.version = true; }},
    {"--record", "FILE", "record the game into FILE, to watch again: skirmo-replay --demo FILE",
     [](CommandLine& c, const char* file) { return !(c.record = file).empty(); }},
};

const CommandLineOption* Find(const std::string& name) {
    for (const CommandLineOption& option : Options)
        if (name == option.name) return &option;
    return nullptr;
}

int Refuse(const std::string& what) {
    std::fprintf(stderr, "skirmo: %s (skirmo --help lists the options)\n", what.c_str());
    return 2;
}

void PrintHelp() {
    std::printf("Usage: skirmo [OPTION]...\n"
                "Velmora, a small arcade game of air-to-air combat seen from straight above.\n\n");
    for (const CommandLineOption& option : Options) {
        std::string left = option.name;
        if (option.argument) left += std::string(" ") + option.argument;
        std::printf("  %-18s %s\n", left.c_str(), option.help);
    }
    std::printf("\nThe game reads its data files from the current folder when it holds them,\n"
                "otherwise from the folder it was installed with. The keys are in skirmo(6).\n");
}

// What was asked for went nowhere (a full disk, a closed pipe): say so in the exit status.
int Printed() { return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1; }

} // namespace

const std::span<const CommandLineOption> CommandLineOptions(Options);

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
        if (!option->apply(commandLine, value) && value)
            return Refuse(name + ": '" + value + "' is not " + option->argument);
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
