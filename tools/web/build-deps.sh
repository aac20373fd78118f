#!/usr/bin/env bash
# build-deps.sh -- the page's libraries built for WebAssembly from Debian's source packages
#
# Usage: tools/web/build-deps.sh DEPS   (scripts/web-deps runs it, keyed by this file's text)
#
# Fetches the source packages of SDL2, SDL2_ttf, FreeType, HarfBuzz and zlib from the Debian
# archive the machine already uses, through a private sources list and private apt state (apt's
# -o options): the machine's apt configuration is left as it was, and no root is needed. Builds
# them with Debian's emscripten (emcc on the PATH) and installs them into DEPS/prefix, where they
# stay (their CMake and pkg-config files name the folder). DEPS/versions, the list of the Debian
# versions built, is written last: it says the folder is whole.
set -euo pipefail
deps=$1
started=$SECONDS
say() { echo "web-deps: $*" >&2; }

# Source package and upstream version.
sdl_version=2.26.5
ttf_version=2.20.1
freetype_version=2.12.1
harfbuzz_version=6.0.0
zlib_version=1.2.13
wanted=("libsdl2 $sdl_version" "libsdl2-ttf $ttf_version" "freetype $freetype_version"
        "harfbuzz $harfbuzz_version" "zlib $zlib_version")

rm -rf "$deps"
work="$deps/work"
prefix="$deps/prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/apt/parts" \
         "$work/src" "$work/build" "$prefix"
log="$work/build.log"
: >"$log"
# Every step's output goes to the log; a failure shows its end.
run() {
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    say "failed: $* (whole log: $log)"
    exit 1
  fi
}

# The same archive as the machine's own bookworm lines, for sources.
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
signed=""
[[ -f "$keyring" ]] && signed="[signed-by=$keyring] "
apt-cache policy 2>/dev/null |
  awk '$2 ~ /^https?:\/\// && $3 ~ /^bookworm(-updates|-security)?\/main$/ {
         split($3, s, "/"); print $2, s[1] }' | sort -u |
  while read -r uri suite; do echo "deb-src ${signed}$uri $suite main"; done \
    >"$work/apt/sources.list"
if [[ ! -s "$work/apt/sources.list" ]]; then
  echo "deb-src ${signed}http://deb.debian.org/debian bookworm main" >"$work/apt/sources.list"
fi
apt_options=(-o Dir::Etc::SourceList="$work/apt/sources.list"
             -o Dir::Etc::SourceParts="$work/apt/parts"
             -o Dir::State::Lists="$work/apt/lists"
             -o Dir::Cache="$work/apt/cache")
# apt hands downloads to its own user, who cannot enter a root's home.
[[ $(id -u) -eq 0 ]] && apt_options+=(-o APT::Sandbox::User=root)
say "source lists: $(tr '\n' ';' <"$work/apt/sources.list")"
run apt-get "${apt_options[@]}" update

# The newest revision of the wanted upstream version that the archive still serves: an index
# can list a security update whose files the mirror no longer has.
: >"$work/versions"
for entry in "${wanted[@]}"; do
  read -r package upstream <<<"$entry"
  fetched=""
  # Debian's version is [epoch:]upstream[+dfsg|.dfsg]-revision.
  for version in $(apt-cache "${apt_options[@]}" showsrc "$package" |
                   awk '/^Version:/ {print $2}' | sort -Vru); do
    bare=${version#*:}
    [[ "$bare" == "$upstream"[+.-]* ]] || continue
    say "fetching $package $version"
    if (cd "$work/src" && apt-get "${apt_options[@]}" source -qq "$package=$version") \
         >>"$log" 2>&1; then
      fetched=$version
      break
    fi
    rm -rf "$work/src/$package-$upstream"*/
  done
  if [[ -z "$fetched" ]]; then
    tail -n 20 "$log" >&2
    say "the archive serves no $package $upstream"
    exit 1
  fi
  echo "$package $fetched" >>"$work/versions"
done
src() { find "$work/src" -maxdepth 1 -type d -name "$1-$2*" | head -n 1; }
flags="-O2 -DNDEBUG"
cmake_common=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
              -DCMAKE_C_FLAGS_RELEASE="$flags" -DBUILD_SHARED_LIBS=OFF
              -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_PREFIX_PATH="$prefix")

# zlib: the Debian tarball lacks a file its CMake build wants, and the library is fifteen
# files, so they are compiled as they are, with zconf.h answered as its configure would
# (unistd.h and stdarg.h are there).
step=$SECONDS
zsrc=$(src zlib "$zlib_version")
sed -i -E 's/^#ifdef (HAVE_UNISTD_H|HAVE_STDARG_H) .*by .\/configure.*/#if 1/' "$zsrc/zconf.h"
mkdir -p "$work/build/zlib" "$prefix/include" "$prefix/lib"
for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
         inftrees trees uncompr zutil; do
  run emcc $flags -c "$zsrc/$f.c" -o "$work/build/zlib/$f.o"
done
run emar rcs "$prefix/lib/libz.a" "$work/build/zlib"/*.o
cp "$zsrc/zlib.h" "$zsrc/zconf.h" "$prefix/include/"
say "zlib built in $((SECONDS - step)) s"

# FreeType against that zlib: its own copy of zlib would clash with it in one program.
step=$SECONDS
run emcmake cmake -S "$(src freetype "$freetype_version")" -B "$work/build/freetype" \
    "${cmake_common[@]}" -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a"
run cmake --build "$work/build/freetype" -j2
run cmake --install "$work/build/freetype"
say "FreeType built in $((SECONDS - step)) s"

# HarfBuzz on that FreeType, all of it in one file as its authors offer it, without threads:
# the desktop's SDL_ttf lays its lines out with it, and without it a line of the game's text
# comes out narrower by a pixel here and there. One compiler on one file: it runs beside SDL2's
# build, which SDL2_ttf waits for too.
hsrc=$(src harfbuzz "$harfbuzz_version")
mkdir -p "$work/build/harfbuzz" "$prefix/include/harfbuzz"
cp "$hsrc"/src/hb*.h "$prefix/include/harfbuzz/"
( step=$SECONDS
  run em++ $flags -DHAVE_FREETYPE=1 -DHB_NO_MT -I"$prefix/include/freetype2" \
      -c "$hsrc/src/harfbuzz.cc" -o "$work/build/harfbuzz/harfbuzz.o"
  run emar rcs "$prefix/lib/libharfbuzz.a" "$work/build/harfbuzz/harfbuzz.o"
  say "HarfBuzz built in $((SECONDS - step)) s" ) &
harfbuzz=$!

# SDL2 without threads: a page gets them only when cross-origin isolated.
# Its configure's checks are answered from what they found on this emscripten, where it is the
# one they were taken from (sdl2-checks.cmake); another one is asked again.
step=$SECONDS
answers=()
if [[ $(emcc --version) == *" 3.1.6 "* ]]; then
  answers=(-C "$(dirname "$0")/sdl2-checks.cmake")
fi
run emcmake cmake "${answers[@]}" -S "$(src libsdl2 "$sdl_version")" -B "$work/build/sdl2" \
    "${cmake_common[@]}" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_THREADS=OFF -DSDL_TEST=OFF
run cmake --build "$work/build/sdl2" -j2
run cmake --install "$work/build/sdl2"
say "SDL2 built in $((SECONDS - step)) s"
wait "$harfbuzz" || { say "HarfBuzz failed (whole log: $log)"; exit 1; }

# SDL2_ttf on the FreeType and HarfBuzz above, not the copies it vendors.
step=$SECONDS
run emcmake cmake -S "$(src libsdl2-ttf "$ttf_version")" -B "$work/build/sdl2-ttf" \
    "${cmake_common[@]}" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=ON -DSDL2TTF_SAMPLES=OFF \
    -DFREETYPE_INCLUDE_DIRS="$prefix/include/freetype2" \
    -DFREETYPE_LIBRARY="$prefix/lib/libfreetype.a" \
    -Dharfbuzz_INCLUDE_PATH="$prefix/include/harfbuzz" \
    -Dharfbuzz_LIBRARY="$prefix/lib/libharfbuzz.a"
run cmake --build "$work/build/sdl2-ttf" -j2
run cmake --install "$work/build/sdl2-ttf"
say "SDL2_ttf built in $((SECONDS - step)) s"

mv "$work/build.log" "$deps/"
mv "$work/versions" "$deps/versions.tmp"
rm -rf "$work"
mv "$deps/versions.tmp" "$deps/versions"
say "built in $((SECONDS - started)) s: $(tr '\n' ',' <"$deps/versions" | sed 's/,$//')"
