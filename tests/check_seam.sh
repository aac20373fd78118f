#!/usr/bin/env bash
# Only the platform layer may talk to SDL or FluidSynth: the game must read as a game.
cd "$(dirname "$0")/.."
found=$(grep -rlE '#include *[<"](SDL|SDL2/|fluidsynth)' src tools/replay | grep -v '^src/platform/' || true)
if [[ -n "$found" ]]; then
  echo "SDL or FluidSynth included outside src/platform:"; echo "$found"; exit 1
fi
echo "seam holds: $(grep -rlE '#include *[<"](SDL|fluidsynth)' src/platform | wc -l) platform files use SDL, none elsewhere"
