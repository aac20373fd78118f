// main.cpp -- skirmo, the game, on the desktop
#include <cstdio>
#include <string>

#include "app/startup.h"
#include "command_line.h"
#include "core/exit_status.h"
#include "data_folder.h"
#include "platform/desktop.h"
#include "platform/recording.h"
#include "platform/window.h"
#include "replay_json.h"

int main(int argc, char** argv) {
    CommandLine commandLine;
    if (int status = ReadCommandLine(argc, argv, commandLine); status >= 0) return status;
    ChooseWindowMode(commandLine.window);
    // Made before the data folder becomes the current one: the path is the player's.
    if (std::string why;
        !commandLine.record.empty() &&
        !StartRecording(commandLine.record, std::string("skirmo ") + ProgramVersion, why)) {
        std::fprintf(stderr, "skirmo: --record: cannot write %s: %s\n", commandLine.record.c_str(),
                     why.c_str());
        return ExitBadCommandLine;
    }
    if (std::string why; !commandLine.demo.empty() && !StartDemo(commandLine.demo, why)) {
        std::fprintf(stderr, "skirmo: --demo: %s\n", why.c_str());
        return ExitBadCommandLine;
    }
    DescribeGameStateWith([] { return GameStateJson(0, 0); });
    if (std::string why; !EnterDataFolder(commandLine.dataFolder, why)) {
        std::fprintf(stderr, "skirmo: --data: cannot enter %s: %s\n",
                     commandLine.dataFolder.c_str(), why.c_str());
        return FinishRecording(ExitBadCommandLine);
    }
    AnswerDialogAhead({commandLine.mode, commandLine.noSound});
    return FinishDemo(FinishRecording(WinMain(nullptr, nullptr, nullptr, 0)));
}
