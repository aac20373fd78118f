# web.cmake -- the page: the game, the SDL backend and src/platform/web, built with em++
#
# The libraries come from scripts/web-deps (SKIRMO_WEB_DEPS, its cache's prefix). The page's
# own index.html is copied beside the script: emscripten's generated one crashes its minifier.
set(SKIRMO_WEB_DEPS "" CACHE PATH "Where scripts/web-deps installed the page's libraries")
if(NOT EXISTS ${SKIRMO_WEB_DEPS}/lib/libSDL2.a)
  message(FATAL_ERROR "SKIRMO_WEB_DEPS must name the folder scripts/web-deps prints")
endif()
set(SKIRMO_FONT_DIR /usr/share/fonts/truetype/dejavu CACHE PATH "Debian's fonts-dejavu-core")
set(SKIRMO_PAGE_DIR ${CMAKE_BINARY_DIR}/page CACHE PATH "Where the page's files are put together")
# The music: FluidSynth built for WebAssembly, from the npm package js-synthesizer (scripts/web
# installs it into tools/web/node_modules), and Debian's timgm6mb-soundfont, small enough for a
# page.
set(SKIRMO_MUSIC_SYNTH
    ${CMAKE_SOURCE_DIR}/tools/web/node_modules/js-synthesizer/externals/libfluidsynth-2.3.0.js
    CACHE FILEPATH "FluidSynth built for WebAssembly (js-synthesizer's externals)")
set(SKIRMO_MUSIC_FONT /usr/share/sounds/sf2/TimGM6mb.sf2
    CACHE FILEPATH "The page's General MIDI SoundFont")
foreach(needed ${SKIRMO_MUSIC_SYNTH} ${SKIRMO_MUSIC_FONT})
  if(NOT EXISTS ${needed})
    message(FATAL_ERROR "${needed} is missing: scripts/web installs it")
  endif()
endforeach()

# Exceptions as on the desktop; threads off (they would need cross-origin isolation).
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
# clang warns of a table of texts whose long entries are joined from several literals on purpose.
add_compile_options(-Wno-string-concatenation)

# The page's data are in its own files, at /data beside the program.
set(SKIRMO_DATA_FROM_BIN ".")
set(SKIRMO_PREFIX_DATA_DIR "/data")
include(cmake/game.cmake)

set(WEB_INCLUDES ${SKIRMO_WEB_DEPS}/include ${SKIRMO_WEB_DEPS}/include/SDL2)

# The desktop's backend, less what the page does its own way: the music (FluidSynth plays in the
# page's own AudioWorklet), the font's lookup (no fontconfig), how the machine waits
# (machine_sdl.cpp) and where F12's pictures go (a download, without the writer's thread).
file(GLOB PLATFORM_SOURCES CONFIGURE_DEPENDS
  src/platform/emulation/*.cpp src/platform/recording/*.cpp src/platform/sdl/*.cpp
  src/platform/web/*.cpp)
foreach(own music_sdl fonts_sdl machine_sdl screenshot_writer)
  list(REMOVE_ITEM PLATFORM_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/sdl/${own}.cpp)
endforeach()
add_library(skirmo_platform_web STATIC ${PLATFORM_SOURCES})
target_include_directories(skirmo_platform_web PUBLIC src ${WEB_INCLUDES})

# The shell's main runs as ShellMain under the page's own main (web/main_web.cpp), which hands
# its return to exit: a return that comes after a wait is not the page's status otherwise.
add_executable(skirmo src/shell/main.cpp src/platform/web/main_web.cpp)
set_source_files_properties(src/shell/main.cpp PROPERTIES COMPILE_DEFINITIONS main=ShellMain)
set_target_properties(skirmo PROPERTIES SUFFIX ".js")
target_link_libraries(skirmo PRIVATE skirmo_shell skirmo_game skirmo_platform_web
  ${SKIRMO_WEB_DEPS}/lib/libSDL2_ttf.a ${SKIRMO_WEB_DEPS}/lib/libharfbuzz.a
  ${SKIRMO_WEB_DEPS}/lib/libfreetype.a ${SKIRMO_WEB_DEPS}/lib/libSDL2.a
  ${SKIRMO_WEB_DEPS}/lib/libz.a)
# ASYNCIFY lets every wait of the game hand the browser its turn (machine_web.cpp), whose own wait
# is named as an import that sleeps. The game keeps its memory as on the desktop, so memory
# grows. SDL's audio and that wait need the runtime's functions named.
target_link_options(skirmo PRIVATE
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH -sEXIT_RUNTIME
  -sINVOKE_RUN=0 -sENVIRONMENT=web -sFORCE_FILESYSTEM
  "-sEXPORTED_RUNTIME_METHODS=['callMain','FS']"
  # Read from a file: a dollar sign would not survive make and the shell.
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_SOURCE_DIR}/src/platform/web/library_functions.json
  -sASYNCIFY_IMPORTS=@${CMAKE_SOURCE_DIR}/src/platform/web/asyncify_imports.json
  # SHELL: keeps CMake from merging the repeated option into one.
  "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/data@/data"
  "SHELL:--preload-file ${SKIRMO_FONT_DIR}/DejaVuSans.ttf@/fonts/DejaVuSans.ttf"
  "SHELL:--preload-file ${SKIRMO_FONT_DIR}/DejaVuSans-Bold.ttf@/fonts/DejaVuSans-Bold.ttf")
set(WEB_PAGE_SCRIPTS ${CMAKE_SOURCE_DIR}/src/platform/web/index.html
  ${CMAKE_SOURCE_DIR}/src/platform/web/music.js
  ${CMAKE_SOURCE_DIR}/src/platform/web/music_worklet.js)
set_property(TARGET skirmo APPEND PROPERTY LINK_DEPENDS ${WEB_PAGE_SCRIPTS})
add_custom_command(TARGET skirmo POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy ${WEB_PAGE_SCRIPTS} ${SKIRMO_MUSIC_SYNTH} ${SKIRMO_PAGE_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy ${SKIRMO_MUSIC_FONT} ${SKIRMO_PAGE_DIR}/music.sf2
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/skirmo.js ${CMAKE_BINARY_DIR}/skirmo.wasm
          ${CMAKE_BINARY_DIR}/skirmo.data ${SKIRMO_PAGE_DIR}/)

# licences.html: what the page contains, each with its licence's whole text.
add_custom_command(OUTPUT ${SKIRMO_PAGE_DIR}/licences.html
  COMMAND ${CMAKE_COMMAND} -DLIST=${CMAKE_SOURCE_DIR}/tools/web/licences.tsv
          -DOUT=${SKIRMO_PAGE_DIR}/licences.html -DTOP=${CMAKE_SOURCE_DIR}
          -DVERSION=${PROJECT_VERSION} -P ${CMAKE_SOURCE_DIR}/tools/web/licences.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/web/licences.tsv ${CMAKE_SOURCE_DIR}/tools/web/licences.cmake
  VERBATIM)
add_custom_target(licences ALL DEPENDS ${SKIRMO_PAGE_DIR}/licences.html)
