// main.cpp -- skirmo, the game, on the desktop
#include "app/startup.h"
#include "command_line.h"
#include "data_folder.h"
#include "platform/desktop.h"

int main(int argc, char** argv) {
    CommandLine commandLine;
    if (int status = ReadCommandLine(argc, argv, commandLine); status >= 0) return status;
    ChooseWindowMode(commandLine.window);
    EnterDataFolder();
    return WinMain(nullptr, nullptr, nullptr, 0);
}
