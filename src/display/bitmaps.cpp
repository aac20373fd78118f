// bitmaps.cpp -- the picture files loaded into the surfaces and the craft images
//
// Every picture goes the same way: the file is loaded as a bitmap at the size the game wants,
// stretched onto a surface, and for the craft read back from that surface's memory. Colour
// conversion is left to the bitmap calls, so pixels arrive in the display's own format.
//
// A picture that fails tells the player which file, and asks the message loop to end; loading
// goes on with the next file, so one message box per missing file is shown before the end.
#include "display/bitmaps.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/exit_status.h"
#include "core/game_globals.h"
#include "core/program.h"
#include "core/texts.h"
#include "display/display.h"
#include "display/pixels.h"
#include "platform/api/window.h"

SpriteImageSets SpriteImageStore{};

static const GlobalsReset Reset(SpriteImageStore);

namespace {

const char SpriteFileNames[4][3][14] = {{"PLAY1.bmp", "PLAY2.bmp", "PLAY3.bmp"},
                                        {"enem1.bmp", "enem2.bmp", "dead.bmp"},
                                        {"second1.bmp", "second2.bmp", "second3.bmp"},
                                        {"third1.bmp", "third2.bmp", "third3.bmp"}};

SpriteImage* SpriteSet(int set) {
    switch (set) {
    case 0:
        return SpriteImageStore.PlayerImages;
    case 1:
        return SpriteImageStore.FirstEnemyImages;
    case 2:
        return SpriteImageStore.SecondEnemyImages;
    default:
        return SpriteImageStore.ThirdEnemyImages;
    }
}

const char* const CheckTheDirectory = ".BMP, please check the directory skirmo.exe is in, if the "
                                      "file isn't there, download skirmo.zip again, if it is, "
                                      "contact ";

// "PLAY3.bmp" is named "PLAY3.BMP" in the messages, "second2.bmp" "second2.BMP".
std::string MessageName(const char* fileName) {
    std::string name = fileName;
    return name.substr(0, name.rfind('.'));
}

// Loads a picture file at the given size and stretches it onto the whole surface; the bitmap
// is not needed once its pixels are on the surface.
HRESULT LoadPictureOnto(IDirectDrawSurface* surface, const char* fileName, int size) {
    HBITMAP bitmap = LoadImageA(nullptr, fileName, IMAGE_BITMAP, size, size, LR_LOADFROMFILE);
    HRESULT result = CopyBitmapToSurface(surface, bitmap, 0, 0, size, size);
    if (bitmap) DeleteObject(bitmap);
    return result;
}

} // namespace

void ReportBitmapFailure(const char* text) {
    MessageBoxA(MainWindow, text, "Bitmap loading error", MB_OK);
    NoteEndingFailure(ExitNoPicture);
    PostQuitMessage(0);
}

void ReportTemporarySurfaceFailure() {
    std::string text = std::string("Couldn't create temporary surface, if you would, please let ") +
                       SupportAddress +
                       " know if you recieve this message. Thanks for trying to check this out!";
    MessageBoxA(MainWindow, text.c_str(), "DD Initialization error", MB_OK);
    NoteEndingFailure(ExitNoDisplay);
    PostQuitMessage(0);
}

IDirectDrawSurface* CreateTemporarySurface(int width, int height) {
    IDirectDrawSurface* surface = nullptr;
    return CreatePlainSurface(width, height, &surface) == DD_OK ? surface : nullptr;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface* surface, HBITMAP bitmap, int x, int y, int width,
                            int height) {
    if (!bitmap || !surface) return E_FAIL;
    // Whatever its state: this is what brings the life icon back after the player returns.
    surface->Restore();
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory) OutputDebugStringA("createcompatible dc failed\n");
    SelectObject(memory, bitmap);
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    if (width == 0) width = info.bmWidth;
    if (height == 0) height = info.bmHeight;

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    surface->GetSurfaceDesc(&desc);

    HDC dc = nullptr;
    HRESULT result = surface->GetDC(&dc);
    if (result == DD_OK) {
        StretchBlt(dc, 0, 0, int(desc.dwWidth), int(desc.dwHeight), memory, x, y, width, height,
                   SRCCOPY);
        surface->ReleaseDC(dc);
    }
    if (memory) DeleteDC(memory);
    return result;
}

DWORD MatchSurfaceColour(IDirectDrawSurface* surface, COLORREF colour) {
    DWORD result = CLR_INVALID;
    if (!surface) return result;
    COLORREF saved = CLR_INVALID;
    HDC dc = nullptr;
    if (colour != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        saved = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, colour);
        surface->ReleaseDC(dc);
    }

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    HRESULT locked;
    while ((locked = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) ==
           DDERR_WASSTILLDRAWING) {
    }
    if (locked == DD_OK) {
        // The first pixel's bytes, as many as a pixel has (two in this game's 16-bit modes).
        DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
        DWORD value = 0;
        std::memcpy(&value, desc.lpSurface, bits >= 32 ? 4 : (bits + 7) / 8);
        result = bits < 32 ? value & ((DWORD(1) << bits) - 1) : value;
        surface->Unlock(nullptr);
    }

    if (colour != CLR_INVALID && surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, saved);
        surface->ReleaseDC(dc);
    }
    return result;
}

HRESULT SetSurfaceColourKey(IDirectDrawSurface* surface, COLORREF colour) {
    if (!surface) return E_FAIL;
    DWORD key = MatchSurfaceColour(surface, colour);
    DDCOLORKEY range{key, key};
    return surface->SetColorKey(DDCKEY_SRCBLT, &range);
}

void LoadSurfaceBitmaps() {
    // Before the display exists (or after it is gone) there is nothing to fill.
    if (!DisplayObject) return;
    for (int i = 0; i < TileKinds; ++i) {
        char fileName[24]; // room for any int, as the compiler cannot see i is small
        std::snprintf(fileName, sizeof fileName, "TILE%d.bmp", i + 1);
        if (LoadPictureOnto(TileSurfaces[i], fileName, TileSize) != DD_OK) {
            char text[256];
            std::snprintf(text, sizeof text, "couldn't load bitmap TILE%d%s%s, thank you!", i + 1,
                          CheckTheDirectory, SupportAddress);
            ReportBitmapFailure(text);
        }
    }
    if (LoadPictureOnto(LifeIconSurface, "numleft.bmp", LifeIconSize) != DD_OK)
        ReportBitmapFailure((std::string("Couldn't miniature ship bitmap, contact me - ") +
                             SupportAddress + ", thanks...")
                                .c_str());
    SetSurfaceColourKey(LifeIconSurface, RGB(0, 0, 0));
    if (LoadPictureOnto(CloudSurface, "CLOUD.bmp", CloudSize) != DD_OK)
        ReportBitmapFailure(
            (CloudBitmapMessage + std::string(SupportAddress) + ", thank you!").c_str());
    SetSurfaceColourKey(CloudSurface, RGB(0, 0, 0));
}

void LoadSpriteImages() {
    IDirectDrawSurface* temporary = CreateTemporarySurface(SpriteSize, SpriteSize);
    if (!temporary) {
        ReportTemporarySurfaceFailure();
        return;
    }
    for (int set = 0; set < 4; ++set) {
        for (int image = 0; image < 3; ++image) {
            const char* fileName = SpriteFileNames[set][image];
            if (LoadPictureOnto(temporary, fileName, SpriteSize) != DD_OK) {
                // Each message names the file that failed (the game once named PLAY1.BMP for
                // every player picture and no file at all for the enemies').
                std::string text = "couldn't load bitmap " + MessageName(fileName) +
                                   CheckTheDirectory + SupportAddress + ", thank you!";
                ReportBitmapFailure(text.c_str());
            }
            // Read back even after a failed copy: the surface keeps its last picture, and the
            // program is ending anyway.
            if (!LockWholeSurface(temporary)) continue;
            SpriteImage& out = SpriteSet(set)[image];
            for (int r = 0; r < SpriteSize; ++r)
                std::memcpy(&out.Pixels[r * SpriteSize], FrameBuffer.Base + r * FrameBuffer.Pitch,
                            SpriteSize * sizeof(std::uint16_t));
            UnlockWholeSurface(temporary);
        }
    }
    temporary->Release();
}
