// ddraw.h -- the display service: a flipping pair of 16-bit surfaces and off-screen surfaces
//
// Surfaces are plain memory, 16 bits a pixel (red 5, green 6, blue 5 unless the machine asks
// for 5-5-5), with a pitch that may be wider than two bytes a pixel. Flip swaps the memory of
// the front and back surfaces and shows the front one, scaled to the monitor. Writes to the
// front surface outside a flip (text screens, wipes, prompts) are shown too.
#pragma once

#include "wintypes.h"

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = HRESULT(0x80070057u);
constexpr HRESULT DDERR_INVALIDRECT = HRESULT(0x88760096u);
constexpr HRESULT DDERR_SURFACEBUSY = HRESULT(0x887601AEu);
constexpr HRESULT DDERR_SURFACELOST = HRESULT(0x887601C2u);
constexpr HRESULT DDERR_WASSTILLDRAWING = HRESULT(0x8876021Cu);
constexpr HRESULT DDERR_NOTLOCKED = HRESULT(0x887601E6u);
constexpr HRESULT DDERR_NOTFLIPPABLE = HRESULT(0x887601A4u);
constexpr HRESULT DDERR_OUTOFMEMORY = HRESULT(0x8007000Eu);

constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;

constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;

constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
constexpr DWORD DDSCL_ALLOWMODEX = 0x00000040;

constexpr DWORD DDCKEY_SRCBLT = 0x00000008;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;
constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDLOCK_WAIT = 0x00000001;

constexpr DWORD DDPF_RGB = 0x00000040;

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSURFACEDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    void* lpSurface;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};

struct SurfaceMemory;

// One surface. Created only by IDirectDraw::CreateSurface, freed by Release.
class IDirectDrawSurface {
  public:
    HRESULT GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** attached);
    // Frees the surface (a flipping primary takes its back buffer with it). Returns 0.
    DWORD Release();
    // DD_OK, or DDERR_SURFACELOST when the surface's memory was taken away.
    HRESULT IsLost();
    HRESULT Restore();
    // Fills the description's size, pitch, caps and pixel format.
    HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);
    // Locks the whole surface (rect must be null) and returns its memory and pitch in desc.
    HRESULT Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD flags, void* event);
    HRESULT Unlock(void* rect);
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);
    HRESULT SetColorKey(DWORD flags, const DDCOLORKEY* key);
    // Copies srcRect of src to (x, y) of this surface. Nothing is clipped: a rectangle that does
    // not lie wholly inside both surfaces answers DDERR_INVALIDRECT and copies nothing. With
    // DDBLTFAST_SRCCOLORKEY, source pixels within the source's colour key are left out.
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, const RECT* srcRect, DWORD trans);
    // Swaps the front and back memory of a flipping primary and shows the new front; with
    // DDFLIP_WAIT it returns after the display's next refresh.
    HRESULT Flip(IDirectDrawSurface* target, DWORD flags);

    SurfaceMemory* memory = nullptr; // the platform's own; the game never looks inside
};
using LPDIRECTDRAWSURFACE = IDirectDrawSurface*;

class IDirectDraw {
  public:
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
    HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void* outer);
    DWORD Release();
};
using LPDIRECTDRAW = IDirectDraw*;

HRESULT DirectDrawCreate(void* guid, IDirectDraw** directDraw, void* outer);
