// screenshot.h -- F12: the game's picture as a PNG file (platform-internal)
//
// The picture is the game's own, at its own size (640 by 480 or 800 by 600), not the scaled
// screen. It goes to $XDG_PICTURES_DIR/velmora (the desktop's pictures folder), or, where the
// desktop names none, to the data home's velmora/screenshots ($XDG_DATA_HOME, else
// ~/.local/share); the path is printed on standard output once the file is there. The game's
// thread only copies the surface; on the desktop the conversion, the compression and the writing
// happen on a thread of their own (screenshot_writer.cpp), so a screenshot never holds up a
// frame. F12 is noticed as SDL takes it in, even while the game spins in a wait where no message
// is read, and the picture is taken at the next poll, on the game's thread.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct SurfaceMemory;

// A picture taken, to be written.
struct Shot {
    std::vector<std::uint16_t> pixels; // rows packed, width pixels each
    int width = 0, height = 0;
    std::time_t taken = 0;
};

// F12 without Alt, Ctrl or the logo key: the desktop's key, which never reaches the game.
bool IsScreenshotKey(const SDL_Keysym& key);
// F12 went down (from SDL's event watch, on any thread).
void AskForScreenshot();
// At every poll: the picture the game shows now, if F12 asked for one since.
void TakeAskedScreenshot(const SurfaceMemory* front);
// Takes a copy of the surface's pixels and hands it to KeepShot; returns at once.
void TakeScreenshot(const SurfaceMemory& surface);
// Writes a shot as a new PNG file in ScreenshotFolder(), never over another, and says where on
// standard output (or why not on standard error). Its path, or empty on failure.
std::string WriteShot(const Shot& shot);
// The shot goes to be written: on the desktop to the writer's thread (returns at once); a page,
// which has no threads, writes it at once and offers the file as a download.
void KeepShot(Shot shot);
// Waits until every screenshot taken is written (or has failed), and stops the writer; a writer
// stalled for two seconds is left behind with a line on standard error. Safe to call when none
// was taken, and more than once. At most four shots wait to be written: F12 beyond them is
// refused with a line.
void FinishScreenshots();

// The folder screenshots go to now; empty when there is none (no HOME and no XDG variables).
std::string ScreenshotFolder();
// A picture of width by height 16-bit surface pixels (rows pitch bytes apart) as the bytes of a
// PNG file, 8-bit RGB, compressed with zlib; empty if the compressor fails.
std::vector<std::uint8_t> EncodePng(const std::uint8_t* pixels, int width, int height, int pitch);
