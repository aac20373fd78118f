// display.h -- the display: the flipping pair and the long-lived off-screen surfaces
//
// Set up once after the start-up dialog, released when the window is destroyed, and restored
// and refilled when the player comes back to the game after switching away.
#pragma once

#include <cstdint>

#include "platform/api/ddraw.h"

extern LPDIRECTDRAW DisplayObject;
extern LPDIRECTDRAWSURFACE PrimarySurface;
extern LPDIRECTDRAWSURFACE BackBuffer; // goes with PrimarySurface, never released alone
// The pictures' sizes, in pixels: a landscape tile and the life icon are square, and so is the
// cloud.
constexpr int TileKinds = 20; // tile numbers 0 to 19, pictures TILE1.bmp to TILE20.bmp
constexpr int TileSize = 32;
constexpr int LifeIconSize = 32;
constexpr int CloudSize = 64;

extern LPDIRECTDRAWSURFACE TileSurfaces[TileKinds];
extern LPDIRECTDRAWSURFACE LifeIconSurface;
extern LPDIRECTDRAWSURFACE CloudSurface;
// The one surface description every creation and lock fills in.
extern DDSURFACEDESC SurfaceDesc;

constexpr std::int32_t ColourDepth = 16;

// Creates the display object, the 16-bit mode, the flipping pair and the 22 off-screen
// surfaces. On the first failing step shows its message, releases what exists and returns 0;
// returns 1 when everything is there.
int InitDisplay();
// Releases every surface and the display object and nulls them. Returns 0 when there was no
// display object (so a second call does nothing), 1 otherwise.
int ReleaseDisplay();
// After the player switched back (called while AppActive is still 0; both do nothing while it
// is 1): restores the surfaces that were lost, then refills the pictures they hold.
void RestoreLostSurfaces();
void ReloadSurfaceBitmaps();

// An off-screen surface of the given size, described in SurfaceDesc as every creation is. The
// tiles, the life icon and the cloud, and the loaders' temporary surfaces are made this way.
HRESULT CreatePlainSurface(int width, int height, LPDIRECTDRAWSURFACE* surface);

// The lock, unlock and device-context calls are repeated until they succeed, but a surface
// lost while the game runs would never give in; after this many tries the drawing is skipped.
constexpr int DisplayRetryLimit = 1000;
// Lock the whole surface (into SurfaceDesc and FrameBuffer) / unlock it, retrying up to the
// limit. Return 1 on success, 0 when the surface would not give in.
int LockWholeSurface(IDirectDrawSurface* surface);
int UnlockWholeSurface(IDirectDrawSurface* surface);
// Get / release a device context, retrying up to the limit; GetSurfaceDC returns null when it
// never was granted.
HDC GetSurfaceDC(IDirectDrawSurface* surface);
void ReleaseSurfaceDC(IDirectDrawSurface* surface, HDC dc);
// One line in yellow on blue, as the pause line and the frame-rate line are drawn: the first
// length characters of text at (x, y). Nothing when no device context is granted.
void DrawStatusLine(IDirectDrawSurface* surface, int x, int y, const char* text, int length);
