// game_globals.h -- putting every global of the game back to its first value
//
// The game's state is plain globals that live for the whole run. A test, or a second run of the
// game in the same process, needs all of them back at their first values. Each module says how
// its own globals start, right where it defines them, with one GlobalsReset object; a new module
// joins by writing its own, and nobody keeps a list of modules.
#pragma once

using ResetFunction = void (*)();

// Registers a module's reset at static initialisation. Define one per .cpp, next to the globals:
//   static const GlobalsReset Reset([] { CheatMode = 0; CheatProgress = 0; });
struct GlobalsReset {
    explicit GlobalsReset(ResetFunction reset);
};

// Runs every registered reset. Frees what the game allocated (the shots) first, so nothing leaks.
void ResetGameGlobals();
