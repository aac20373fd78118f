// main.cpp -- skirmo, the game, on the desktop
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/startup.h"
#include "shell/command_line.h"
#include "core/exit_status.h"
#include "shell/data_folder.h"
#include "platform/api/desktop.h"
#include "platform/api/recording.h"
#include "platform/api/window.h"
#include "shell/game_state.h"

int main(int argc, char** argv) {
    // Standard output may be a pipe whose reader went away (a launcher, a journal): a line that
    // cannot be written there is lost, never the end of the game.
    std::signal(SIGPIPE, SIG_IGN);
    CommandLine commandLine;
    if (int status = ReadCommandLine(argc, argv, commandLine); status >= 0) return status;
    ChooseWindowMode(commandLine.window);
    // The record path is the player's, from where the command ran; the data folder, once
    // entered, is the current one, which a recording may not write into its files.
    std::error_code error;
    const std::filesystem::path record =
        commandLine.record.empty() ? "" : std::filesystem::absolute(commandLine.record, error);
    if (std::string why; !EnterDataFolder(commandLine.dataFolder, why)) {
        std::fprintf(stderr, "skirmo: --data: cannot enter %s: %s\n",
                     commandLine.dataFolder.c_str(), why.c_str());
        return ExitBadCommandLine;
    }
    if (std::string why;
        !record.empty() &&
        (error || !StartRecording(record, std::string("skirmo ") + ProgramVersion, why))) {
        if (error) why = error.message();
        std::fprintf(stderr, "skirmo: --record: cannot write %s: %s\n", commandLine.record.c_str(),
                     why.c_str());
        return ExitBadCommandLine;
    }
    if (std::string why; !commandLine.demo.empty() && !StartDemo(commandLine.demo, why)) {
        std::fprintf(stderr, "skirmo: --demo: %s\n", why.c_str());
        return ExitBadCommandLine;
    }
    DescribeGameStateWith([] { return GameStateJson(0, 0); });
    AnswerDialogAhead({commandLine.mode, commandLine.noSound});
    return FinishDemo(FinishRecording(WinMain(nullptr, nullptr, nullptr, 0)));
}
