#!/usr/bin/env bash
# The game's floors and its seam with the machine, read from the compiler's own dependency lists
# (c++ -H: every header a file opens, and through which), so that every spelling of an include counts: <app/x.h>, "../app/x.h", "#  include",
# an include reached through another header.
# - Only the platform may reach SDL, FluidSynth or fontconfig. Outside it, only the platform's
#   API folder (src/platform/api) may be reached. The game uses the headers of the calls it
#   makes; the shell (main, the command line, the data folder) also the program's own
#   (desktop.h, recording.h). The game must read as a game.
# - The game's folders stand on floors. Whatever a file reaches is of its own folder or of a
#   floor below: what every module reads at the bottom, the frame's composition and the flow near
#   the top. An include that goes up or sideways would tie two floors into one again.
# Needs only a C++ compiler and the SDL headers (scripts/install-deps); no build folder.
# usage: check_seam.sh [TREE]   (default: the tree this script is in)
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root" || exit 2
cxx=${CXX:-c++}
flags=(-std=c++20 -x c++ -E -H -o /dev/null -Isrc -Itools/replay $(pkg-config --cflags-only-I sdl2 2>/dev/null))

declare -A floor=([core]=0 [audio]=1 [display]=1 [combat]=2 [world]=3 [app]=4 [shell]=5)
game_api="byte_order ddraw dsound files gdi input mmsystem timer window wintypes"
shell_api="$game_api desktop recording"

# The floor's name of a file of ours, or nothing.
folder_of() {
  case $1 in
    src/platform/*) echo platform ;;
    src/*/*) local d=${1#src/}; echo "${d%%/*}" ;;
  esac
}

status=0
fail() { echo "$1"; status=1; }

check() {
  local file=$1 own deps
  own=$(folder_of "$file")
  [[ $file == tools/* ]] && own=tools
  if [[ $own != tools && -z ${floor[$own]+set} ]]; then
    fail "$file has no floor: give its folder one in tests/check_seam.sh"; return
  fi
  if ! deps=$("$cxx" "${flags[@]}" "$file" 2>&1); then
    fail "$file: the compiler cannot read it: $(grep -m1 'error' <<<"$deps")"; return
  fi
  local depth skip=0 path dep d
  while read -r depth path; do
    # What SDL's own headers reach is SDL's business: one line for the file is enough.
    (( skip && depth > skip )) && continue
    skip=0
    case $path in
      */SDL2/* | */fluidsynth* | */fontconfig/*)
        fail "$file reaches $path: only the platform may use SDL, FluidSynth or fontconfig"
        skip=$depth; continue ;;
      /*) continue ;;
    esac
    [[ $own == tools ]] && continue
    dep=$(realpath -m --relative-to="$root" "$path")
    d=$(folder_of "$dep")
    if [[ $d == platform ]]; then
      local api=$game_api name
      [[ $own == shell ]] && api=$shell_api
      name=${dep#src/platform/api/}; name=${name%.h}
      [[ $dep == src/platform/api/* && " $api " == *" $name "* ]] ||
        fail "$file reaches $dep: the ${own} may use only these headers of src/platform/api: $api"
    elif [[ -n $d && -n ${floor[$d]+set} ]]; then
      [[ $d == "$own" ]] || (( floor[$d] < floor[$own] )) ||
        fail "$file (floor ${floor[$own]}, $own) reaches $dep (floor ${floor[$d]}, $d): includes only go down"
    else
      fail "$file reaches $dep, which is neither the game's nor the platform's API"
    fi
  done < <(sed -nE 's/^(\.+) (.*)/\1 \2/p' <<<"$deps" | awk '{ print length($1), $2 }')
}

files=$(find src tools/replay \( -name '*.cpp' -o -name '*.h' \) -not -path 'src/platform/*' | sort)
for file in $files; do check "$file"; done
for dir in src/*/; do
  dir=$(basename "$dir")
  [[ $dir == platform || -n ${floor[$dir]+set} ]] ||
    fail "src/$dir has no floor: give it one in tests/check_seam.sh"
done

[[ $status -eq 0 ]] &&
  echo "seam holds: $(wc -w <<<"$files") files read through the compiler; none outside the platform reaches SDL, FluidSynth or fontconfig; the game reaches only the platform's API; every include goes down a floor"
exit $status
