#!/usr/bin/env bash
# Only the platform layer may talk to SDL or FluidSynth, and the game sees the platform only
# through its public headers: not the backends' shared internals (backend.h) nor anything of
# one backend (platform/sdl, platform/test). The game must read as a game.
cd "$(dirname "$0")/.."
status=0
found=$(grep -rlE '#include *[<"](SDL|SDL2/|fluidsynth)' src tools/replay | grep -v '^src/platform/' || true)
if [[ -n "$found" ]]; then
  echo "SDL or FluidSynth included outside src/platform:"; echo "$found"; status=1
fi
game=(src/app src/display src/world src/combat src/audio src/main.cpp)
found=$(grep -rlE '#include *"[^"]*(backend\.h|platform/(sdl|test)/|messages\.h|sdl_state\.h|test_state\.h)' \
          "${game[@]}" 2>/dev/null || true)
if [[ -n "$found" ]]; then
  echo "game code includes the platform's internals (backend.h, messages.h, platform/sdl, platform/test):"
  echo "$found"; status=1
fi
[[ $status -eq 0 ]] &&
  echo "seam holds: $(grep -rlE '#include *[<"](SDL|fluidsynth)' src/platform | wc -l) platform files use SDL, none elsewhere; the game uses only the platform's public headers"
exit $status
