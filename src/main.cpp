// main.cpp -- skirmo, the game, on the desktop
#include <cstdio>
#include <string>

#include "app/startup.h"
#include "command_line.h"
#include "core/exit_status.h"
#include "data_folder.h"
#include "platform/desktop.h"
#include "platform/window.h"

int main(int argc, char** argv) {
    CommandLine commandLine;
    if (int status = ReadCommandLine(argc, argv, commandLine); status >= 0) return status;
    ChooseWindowMode(commandLine.window);
    if (std::string why; !EnterDataFolder(commandLine.dataFolder, why)) {
        std::fprintf(stderr, "skirmo: --data: cannot enter %s: %s\n",
                     commandLine.dataFolder.c_str(), why.c_str());
        return ExitBadCommandLine;
    }
    AnswerDialogAhead({commandLine.mode, commandLine.noSound});
    return WinMain(nullptr, nullptr, nullptr, 0);
}
