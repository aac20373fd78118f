// game_globals.h -- putting every global of the game back to its first value
//
// The game's state is plain globals that live for the whole run. A test, or a second run of the
// game in the same process, needs all of them back at their first values. Each module names its
// own globals with one GlobalsReset object right after their definitions, which alone say how
// they start; a new module joins by writing its own, and nobody keeps a list of modules.
#pragma once

#include <cstddef>
#include <type_traits>

using ReleaseFunction = void (*)();

// Keeps a copy of each global as it is when the object is made: static initialisation, which
// runs after the definitions have given the globals their first values. Define one per .cpp:
//   static const GlobalsReset Reset(CheatMode, CheatProgress);
// A module that holds what must be given back (shots, surfaces, sound buffers) names first the
// function that gives it back:
//   static const GlobalsReset Reset(ClearShots, ShotList, ShotColours);
struct GlobalsReset {
    template <class... Globals>
    requires(std::is_object_v<Globals>&&...) explicit GlobalsReset(Globals&... globals)
        : GlobalsReset(nullptr, globals...) {}
    template <class... Globals>
    explicit GlobalsReset(ReleaseFunction release, Globals&... globals) {
        static_assert((std::is_trivially_copyable_v<Globals> && ...),
                      "a first value is kept and put back as bytes");
        Remember(release);
        (Remember(&globals, sizeof globals), ...);
    }

  private:
    static void Remember(ReleaseFunction release);
    static void Remember(void* global, std::size_t size);
};

// Runs every module's release, then copies every first value back: every release still sees
// the globals it gives back, whatever order the modules registered in.
void ResetGameGlobals();
