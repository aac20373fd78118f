#!/usr/bin/env bash
# The game's floors and its seam with the machine.
# - Only the platform layer may talk to SDL, FluidSynth or fontconfig, and the game sees the platform only
#   through its public headers: not the backends' shared internals (backend.h) nor anything of one
#   backend (platform/sdl, platform/test). The game must read as a game.
# - The game's folders stand on floors, and a file includes only from its own folder or from a
#   floor below: what every module reads at the bottom, the frame's composition and the flow near
#   the top. An include that goes up or sideways would tie two floors into one again.
cd "$(dirname "$0")/.."
status=0
found=$(grep -rlE '#include *[<"](SDL|SDL2/|fluidsynth|fontconfig)' src tools/replay | grep -v '^src/platform/' || true)
if [[ -n "$found" ]]; then
  echo "SDL, FluidSynth or fontconfig included outside src/platform:"; echo "$found"; status=1
fi
game=(src/app src/display src/world src/combat src/audio src/core src/main.cpp)
found=$(grep -rlE '#include *"[^"]*(backend\.h|platform/(sdl|test)/|messages\.h|sdl_state\.h|test_state\.h)' \
          "${game[@]}" 2>/dev/null || true)
if [[ -n "$found" ]]; then
  echo "game code includes the platform's internals (backend.h, messages.h, platform/sdl, platform/test):"
  echo "$found"; status=1
fi

# Floors from the bottom; folders on one floor may not include each other.
declare -A floor=([core]=0 [audio]=1 [display]=1 [combat]=2 [world]=3 [app]=4)
for dir in "${!floor[@]}"; do
  for file in src/"$dir"/*.cpp src/"$dir"/*.h; do
    [[ -e $file ]] || continue
    while read -r included; do
      [[ -n ${floor[$included]+set} && $included != "$dir" ]] || continue
      if (( floor[$included] >= floor[$dir] )); then
        echo "$file (floor ${floor[$dir]}, $dir) includes $included/ (floor ${floor[$included]}): includes only go down"
        status=1
      fi
    done < <(sed -nE 's|^#include *"([a-z_]+)/.*|\1|p' "$file")
  done
done
for dir in src/*/; do
  dir=$(basename "$dir")
  [[ $dir == platform || -n ${floor[$dir]+set} ]] && continue
  echo "src/$dir has no floor: give it one in tests/check_seam.sh"; status=1
done

[[ $status -eq 0 ]] &&
  echo "seam holds: $(grep -rlE '#include *[<"](SDL|fluidsynth)' src/platform | wc -l) platform files use SDL, none elsewhere; the game uses only the platform's public headers; every include goes down a floor"
exit $status
