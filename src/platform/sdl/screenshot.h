// screenshot.h -- F12: the game's picture as a PNG file (platform-internal)
//
// The picture is the game's own, at its own size (640 by 480 or 800 by 600), not the scaled
// screen. It goes to $XDG_PICTURES_DIR/velmora (the desktop's pictures folder), or, where the
// desktop names none, to the data home's velmora/screenshots ($XDG_DATA_HOME, else
// ~/.local/share); the path is printed on standard output once the file is there. The game's
// thread only copies the surface; the conversion, the compression and the writing happen on a
// thread of their own, so a screenshot never holds up a frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SurfaceMemory;

// Takes a copy of the surface's pixels and hands it to the writer; returns at once.
void TakeScreenshot(const SurfaceMemory& surface);
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
