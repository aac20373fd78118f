// main_web.cpp -- the page's main: the shell's, whose return is the program's status
//
// Under ASYNCIFY the page's call to main returns at the game's first wait, and the game's own
// return comes much later, inside a wake-up, where the runtime no longer takes it as the status:
// the page would say 0 whatever it was (a demo not played as recorded returns 3). So it goes to
// exit here. web.cmake builds src/shell/main.cpp with its main named ShellMain.
#include <cstdlib>

int ShellMain(int argc, char** argv);

int main(int argc, char** argv) { std::exit(ShellMain(argc, argv)); }
