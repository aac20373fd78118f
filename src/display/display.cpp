// display.cpp -- setting up, releasing and restoring the display
#include "display/display.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/game_globals.h"
#include "core/program.h"
#include "core/texts.h"
#include "display/bitmaps.h"
#include "display/pixels.h"
#include "platform/api/gdi.h"
#include "platform/api/window.h"

LPDIRECTDRAW DisplayObject = nullptr;
LPDIRECTDRAWSURFACE PrimarySurface = nullptr;
LPDIRECTDRAWSURFACE BackBuffer = nullptr;
LPDIRECTDRAWSURFACE TileSurfaces[TileKinds] = {};
LPDIRECTDRAWSURFACE LifeIconSurface = nullptr;
LPDIRECTDRAWSURFACE CloudSurface = nullptr;
DDSURFACEDESC SurfaceDesc{};

// Releases the surfaces before forgetting them, so a reset never leaks.
static const GlobalsReset Reset([] { ReleaseDisplay(); }, DisplayObject, PrimarySurface, BackBuffer,
                                TileSurfaces, LifeIconSurface, CloudSurface, SurfaceDesc);

namespace {

const char* const ThanksForTrying =
    " know if you recieve this message. Thanks for trying to check this out!";

int Fail(const std::string& before, const char* after) {
    std::string text = before + SupportAddress + after;
    MessageBoxA(MainWindow, text.c_str(), "DD Initialization error", MB_OK);
    ReleaseDisplay();
    return 0;
}

// Repeats a display call at once until it answers DD_OK, but at most DisplayRetryLimit times.
template <class Call> bool RetryUntilDone(Call call) {
    for (int tries = 0; tries < DisplayRetryLimit; ++tries)
        if (call() == DD_OK) return true;
    return false;
}

void ReleaseSurface(LPDIRECTDRAWSURFACE& surface) {
    if (surface) surface->Release();
    surface = nullptr;
}

} // namespace

int InitDisplay() {
    if (DirectDrawCreate(nullptr, &DisplayObject, nullptr) != DD_OK)
        return Fail("Sorry, can't initialize directdraw, if you would, please let ",
                    ThanksForTrying);
    if (DisplayObject->SetCooperativeLevel(MainWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN |
                                                           DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX) !=
        DD_OK)
        return Fail("Couldn't set 'cooperative level', if you would, please let ", ThanksForTrying);
    if (DisplayObject->SetDisplayMode(DWORD(ScreenWidth), DWORD(ScreenHeight), ColourDepth) !=
        DD_OK)
        return Fail("Couldn't set video mode, if you would, please let ", ThanksForTrying);

    std::memset(&SurfaceDesc, 0, sizeof SurfaceDesc);
    SurfaceDesc.dwSize = sizeof SurfaceDesc;
    SurfaceDesc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    SurfaceDesc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    SurfaceDesc.dwBackBufferCount = 1;
    if (DisplayObject->CreateSurface(&SurfaceDesc, &PrimarySurface, nullptr) != DD_OK)
        return Fail("Failed to create the PRIMARY surface, if you would, please let ",
                    ThanksForTrying);

    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    if (PrimarySurface->GetAttachedSurface(&caps, &BackBuffer) != DD_OK)
        return Fail("Failed to create the backbuffer, if you would, please let ", ThanksForTrying);

    for (int i = 0; i < TileKinds; ++i) {
        if (CreatePlainSurface(TileSize, TileSize, &TileSurfaces[i]) != DD_OK) {
            char before[96];
            std::snprintf(before, sizeof before,
                          "Failed to create surface for texture #%d, please let ", i + 1);
            return Fail(before,
                        " know if you recieve this error. Thanks for trying to run this program");
        }
    }
    if (CreatePlainSurface(LifeIconSize, LifeIconSize, &LifeIconSurface) != DD_OK)
        return Fail(
            "Couldn't create surface to hold miniature ship image, if you would, please let ",
            ThanksForTrying);
    if (CreatePlainSurface(CloudSize, CloudSize, &CloudSurface) != DD_OK)
        return Fail("Couldn't create surface to hold cloud image, if you would, please let ",
                    ThanksForTrying);
    return 1;
}

int ReleaseDisplay() {
    if (!DisplayObject) return 0;
    ReleaseSurface(PrimarySurface);
    BackBuffer = nullptr; // it went with the primary
    for (LPDIRECTDRAWSURFACE& tile : TileSurfaces)
        ReleaseSurface(tile);
    ReleaseSurface(LifeIconSurface);
    ReleaseSurface(CloudSurface);
    DisplayObject->Release();
    DisplayObject = nullptr;
    return 1;
}

void RestoreLostSurfaces() {
    if (AppActive) return;
    auto restore = [](LPDIRECTDRAWSURFACE surface) {
        if (surface && surface->IsLost() == DDERR_SURFACELOST) surface->Restore();
    };
    restore(PrimarySurface);
    for (LPDIRECTDRAWSURFACE tile : TileSurfaces)
        restore(tile);
    // The life icon is not asked: copying its picture back restores it.
    restore(CloudSurface);
}

void ReloadSurfaceBitmaps() {
    if (!AppActive) LoadSurfaceBitmaps();
}

HRESULT CreatePlainSurface(int width, int height, LPDIRECTDRAWSURFACE* surface) {
    if (!DisplayObject) return DDERR_GENERIC;
    std::memset(&SurfaceDesc, 0, sizeof SurfaceDesc);
    SurfaceDesc.dwSize = sizeof SurfaceDesc;
    SurfaceDesc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    SurfaceDesc.dwWidth = DWORD(width);
    SurfaceDesc.dwHeight = DWORD(height);
    SurfaceDesc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    return DisplayObject->CreateSurface(&SurfaceDesc, surface, nullptr);
}

int LockWholeSurface(IDirectDrawSurface* surface) {
    bool locked = surface && RetryUntilDone([&] {
                      std::memset(&SurfaceDesc, 0, sizeof SurfaceDesc);
                      SurfaceDesc.dwSize = sizeof SurfaceDesc;
                      return surface->Lock(nullptr, &SurfaceDesc, 0, nullptr);
                  });
    if (!locked) return 0;
    FrameBuffer.Base = static_cast<std::uint8_t*>(SurfaceDesc.lpSurface);
    FrameBuffer.Pitch = SurfaceDesc.lPitch;
    FrameBuffer.Width = std::int32_t(SurfaceDesc.dwWidth);
    FrameBuffer.Height = std::int32_t(SurfaceDesc.dwHeight);
    return 1;
}

int UnlockWholeSurface(IDirectDrawSurface* surface) {
    return surface && RetryUntilDone([&] { return surface->Unlock(nullptr); }) ? 1 : 0;
}

HDC GetSurfaceDC(IDirectDrawSurface* surface) {
    HDC dc = nullptr;
    return surface && RetryUntilDone([&] { return surface->GetDC(&dc); }) ? dc : nullptr;
}

void ReleaseSurfaceDC(IDirectDrawSurface* surface, HDC dc) {
    if (surface && dc) RetryUntilDone([&] { return surface->ReleaseDC(dc); });
}

void DrawStatusLine(IDirectDrawSurface* surface, int x, int y, const char* text, int length) {
    HDC dc = GetSurfaceDC(surface);
    if (!dc) return;
    SetBkColor(dc, RGB(0, 0, 255));
    SetTextColor(dc, RGB(255, 255, 0));
    TextOutA(dc, x, y, text, length);
    ReleaseSurfaceDC(surface, dc);
}
