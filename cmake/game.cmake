# game.cmake -- the game and the program's shell, the same for the desktop and the page
#
# Included once the build knows where its data will be: SKIRMO_DATA_FROM_BIN (from the
# executable's folder) and SKIRMO_PREFIX_DATA_DIR (the installation's), which the shell's search
# for the data folder tries.

# The dialog's title picture is part of the executable, not a data file.
set(TITLE_BMP ${CMAKE_SOURCE_DIR}/src/app/startup_title.bmp)
set(TITLE_CPP ${CMAKE_BINARY_DIR}/generated/startup_title_data.cpp)
add_custom_command(
  OUTPUT ${TITLE_CPP}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${TITLE_BMP} -DOUTPUT=${TITLE_CPP} -DNAME=StartupTitleBitmap
          -P ${CMAKE_SOURCE_DIR}/cmake/embed.cmake
  DEPENDS ${TITLE_BMP} ${CMAKE_SOURCE_DIR}/cmake/embed.cmake
  COMMENT "Embedding the title picture")

# The game: everything written from the game's own rules. It talks to the machine only through
# the headers of src/platform, and is linked with one of the platforms.
file(GLOB GAME_SOURCES CONFIGURE_DEPENDS
  src/core/*.cpp src/app/*.cpp src/display/*.cpp src/world/*.cpp src/combat/*.cpp src/audio/*.cpp)
add_library(skirmo_game STATIC ${GAME_SOURCES} ${TITLE_CPP})
target_include_directories(skirmo_game PUBLIC src)
# The checked builds test every software pixel write against the locked surface, so a sprite
# clipped one pixel wrong fails a test instead of writing into the next row.
if(SKIRMO_CHECKS OR SKIRMO_SANITIZE)
  target_compile_definitions(skirmo_game PUBLIC SKIRMO_CHECKED_PIXELS)
endif()

add_library(skirmo_shell STATIC src/shell/command_line.cpp src/shell/data_folder.cpp
                                src/shell/game_state.cpp)
target_include_directories(skirmo_shell PUBLIC src)
target_compile_definitions(skirmo_shell PRIVATE SKIRMO_VERSION="${PROJECT_VERSION}"
                                                 SKIRMO_DATA_FROM_BIN="${SKIRMO_DATA_FROM_BIN}"
                                                 SKIRMO_PREFIX_DATA_DIR="${SKIRMO_PREFIX_DATA_DIR}")
