// surfaces.cpp -- surfaces in ordinary memory, shared by the real and the test platform
//
// Surfaces never lose their memory on this machine, so IsLost answers DD_OK unless the test
// platform marks them lost to exercise the game's restore path. A lost surface refuses Lock,
// GetDC, BltFast and Flip until it is restored, and comes back cleared (its old contents are
// gone, as they would be after a real loss).
#include "platform/api/ddraw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "backend.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"

namespace {

IDirectDraw* TheDirectDraw = nullptr;
bool CooperativeLevelSet = false;
int ModeWidth = 0;
int ModeHeight = 0;
int SurfacesCreated = 0;
IDirectDrawSurface* Front = nullptr;
std::vector<IDirectDrawSurface*> LiveSurfaces;

IDirectDrawSurface* NewSurface(int width, int height) {
    auto* surface = new IDirectDrawSurface;
    auto* mem = new SurfaceMemory;
    mem->width = width;
    mem->height = height;
    // Rows start on 8-byte boundaries, as display memory usually does; the test platform may add
    // more so that code which assumes pitch == 2 * width shows up.
    mem->pitch = ((width * 2 + 7) & ~7) + BackendPitchPadding();
    mem->pixels = new std::uint8_t[std::size_t(mem->pitch) * std::size_t(height)]();
    surface->memory = mem;
    LiveSurfaces.push_back(surface);
    return surface;
}

void FreeSurface(IDirectDrawSurface* surface) {
    if (surface == Front) Front = nullptr;
    LiveSurfaces.erase(std::remove(LiveSurfaces.begin(), LiveSurfaces.end(), surface),
                       LiveSurfaces.end());
    delete surface->memory->dc;
    delete[] surface->memory->pixels;
    delete surface->memory;
    delete surface;
}

bool Busy(const SurfaceMemory* m) { return m->locked || m->dcOut; }

void FillPixelFormat(DDPIXELFORMAT* pf) {
    pf->dwSize = sizeof(DDPIXELFORMAT);
    pf->dwFlags = DDPF_RGB;
    pf->dwRGBBitCount = 16;
    if (BackendPixelFormat555()) {
        pf->dwRBitMask = 0x7C00;
        pf->dwGBitMask = 0x03E0;
    } else {
        pf->dwRBitMask = 0xF800;
        pf->dwGBitMask = 0x07E0;
    }
    pf->dwBBitMask = 0x001F;
}

} // namespace

std::uint16_t ColourToPixel(COLORREF c) {
    unsigned r = unsigned(GetRValue(c)), g = unsigned(GetGValue(c)), b = unsigned(GetBValue(c));
    if (BackendPixelFormat555())
        return std::uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    return std::uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

COLORREF PixelToColour(std::uint16_t p) {
    unsigned r, g, b;
    if (BackendPixelFormat555()) {
        r = (p >> 10) & 31;
        g = (p >> 5) & 31;
        g = (g << 3) | (g >> 2);
    } else {
        r = (p >> 11) & 31;
        g = (p >> 5) & 63;
        g = (g << 2) | (g >> 4);
    }
    b = p & 31;
    return RGB(int((r << 3) | (r >> 2)), int(g), int((b << 3) | (b >> 2)));
}

const SurfaceMemory* DisplayFront() { return Front ? Front->memory : nullptr; }

int DisplayLiveSurfaceCount() { return int(LiveSurfaces.size()); }

void DisplayMarkAllLost() {
    for (IDirectDrawSurface* s : LiveSurfaces)
        s->memory->lost = true;
}

void ResetDisplayObjects() {
    while (!LiveSurfaces.empty())
        FreeSurface(LiveSurfaces.back());
    delete TheDirectDraw;
    TheDirectDraw = nullptr;
    CooperativeLevelSet = false;
    ModeWidth = ModeHeight = 0;
    SurfacesCreated = 0;
}

HRESULT DirectDrawCreate(void*, IDirectDraw** directDraw, void*) {
    BackendCall("DirectDrawCreate");
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (TheDirectDraw || BackendFailDisplayStep(DisplayStep::Create, 0)) return DDERR_GENERIC;
    TheDirectDraw = new IDirectDraw;
    CooperativeLevelSet = false;
    ModeWidth = ModeHeight = 0;
    SurfacesCreated = 0;
    *directDraw = TheDirectDraw;
    return DD_OK;
}

HRESULT IDirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
    if (!window || BackendFailDisplayStep(DisplayStep::CooperativeLevel, 0)) return DDERR_GENERIC;
    CooperativeLevelSet = (flags & DDSCL_EXCLUSIVE) != 0;
    return DD_OK;
}

HRESULT IDirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel) {
    BackendCall("SetDisplayMode");
    // The window shows any size scaled to the monitor; only sane 16-bit modes are offered.
    if (!CooperativeLevelSet || bitsPerPixel != 16 || width < 1 || height < 1 || width > 4096 ||
        height > 4096 || BackendFailDisplayStep(DisplayStep::DisplayMode, 0))
        return DDERR_GENERIC;
    // A screen that cannot show the picture is a mode that cannot be set: the game then says so
    // in its own words instead of running on a black screen.
    // A demo's game is shown the mode when the recorded one was; the machine then shows it too.
    const bool shown =
        (!DemoPlaying() || DemoDisplayMode()) && BackendSetDisplayMode(int(width), int(height));
    if (!RecordDisplayMode(shown)) return DDERR_GENERIC;
    ModeWidth = int(width);
    ModeHeight = int(height);
    return DD_OK;
}

HRESULT IDirectDraw::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, void*) {
    if (!desc || !surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    int index = SurfacesCreated++;
    if (BackendFailDisplayStep(DisplayStep::Surface, index)) return DDERR_OUTOFMEMORY;
    DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (ModeWidth == 0 || Front) return DDERR_GENERIC;
        bool flipping = (caps & DDSCAPS_FLIP) && (desc->dwFlags & DDSD_BACKBUFFERCOUNT) &&
                        desc->dwBackBufferCount == 1;
        IDirectDrawSurface* front = NewSurface(ModeWidth, ModeHeight);
        front->memory->primary = true;
        if (flipping) {
            IDirectDrawSurface* back = NewSurface(ModeWidth, ModeHeight);
            front->memory->attached = back;
            back->memory->owner = front;
        }
        Front = front;
        *surface = front;
        return DD_OK;
    }
    if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc->dwWidth < 1 || desc->dwHeight < 1 || desc->dwWidth > 4096 || desc->dwHeight > 4096)
        return DDERR_INVALIDPARAMS;
    *surface = NewSurface(int(desc->dwWidth), int(desc->dwHeight));
    return DD_OK;
}

DWORD IDirectDraw::Release() {
    BackendCall("IDirectDraw::Release");
    if (this == TheDirectDraw) {
        TheDirectDraw = nullptr;
        BackendDisplayReleased();
    }
    delete this;
    return 0;
}

HRESULT IDirectDrawSurface::GetAttachedSurface(const DDSCAPS* caps, IDirectDrawSurface** out) {
    if (!caps || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || !memory->attached ||
        BackendFailDisplayStep(DisplayStep::BackBuffer, 0))
        return DDERR_GENERIC;
    *out = memory->attached;
    return DD_OK;
}

DWORD IDirectDrawSurface::Release() {
    // A back buffer goes with its primary; releasing it alone would leave the pair broken.
    if (memory->owner) return 1;
    if (memory->attached) FreeSurface(memory->attached);
    FreeSurface(this);
    return 0;
}

HRESULT IDirectDrawSurface::IsLost() { return memory->lost ? DDERR_SURFACELOST : DD_OK; }

HRESULT IDirectDrawSurface::Restore() {
    BackendCall("IDirectDrawSurface::Restore");
    auto restore = [](SurfaceMemory* m) {
        if (!m->lost) return;
        std::memset(m->pixels, 0, std::size_t(m->pitch) * std::size_t(m->height));
        m->lost = false;
    };
    restore(memory);
    if (memory->attached) restore(memory->attached->memory);
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = DWORD(memory->width);
    desc->dwHeight = DWORD(memory->height);
    desc->lPitch = memory->pitch;
    desc->ddsCaps.dwCaps = memory->primary ? DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX
                           : memory->owner ? DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX
                                           : DDSCAPS_OFFSCREENPLAIN;
    FillPixelFormat(&desc->ddpfPixelFormat);
    return DD_OK;
}

HRESULT IDirectDrawSurface::Lock(const RECT* rect, DDSURFACEDESC* desc, DWORD, void*) {
    if (!desc || rect) return DDERR_INVALIDPARAMS;
    if (memory->lost) return DDERR_SURFACELOST;
    if (Busy(memory)) return DDERR_SURFACEBUSY;
    GetSurfaceDesc(desc);
    desc->lpSurface = memory->pixels;
    memory->locked = true;
    return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(void*) {
    if (!memory->locked) return DDERR_NOTLOCKED;
    memory->locked = false;
    if (this == Front) BackendFrontWritten(*memory);
    return DD_OK;
}

HRESULT IDirectDrawSurface::GetDC(HDC* dc) {
    BackendCall("IDirectDrawSurface::GetDC");
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (memory->lost) return DDERR_SURFACELOST;
    if (Busy(memory)) return DDERR_SURFACEBUSY;
    if (!memory->dc) memory->dc = new DeviceContext;
    // A fresh context each time, as the game sets its colours after every GetDC.
    *memory->dc = DeviceContext{};
    memory->dc->surface = this;
    memory->dcOut = true;
    *dc = memory->dc;
    return DD_OK;
}

HRESULT IDirectDrawSurface::ReleaseDC(HDC dc) {
    if (!memory->dcOut || dc != memory->dc) return DDERR_INVALIDPARAMS;
    memory->dcOut = false;
    memory->dc->surface = nullptr;
    if (this == Front) BackendFrontWritten(*memory);
    return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, const DDCOLORKEY* key) {
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
    if (!key) {
        memory->colourKey = false;
        return DD_OK;
    }
    memory->colourKey = true;
    memory->keyLow = std::uint16_t(key->dwColorSpaceLowValue);
    memory->keyHigh = std::uint16_t(key->dwColorSpaceHighValue);
    return DD_OK;
}

namespace {

// Rows of at most 64 bytes (a tile's width or less) between two different surfaces. The
// landscape is about 600 of these rows per tile column, so each row is a few moves of known size
// instead of a call: a whole row in one move where the processor has 64-byte registers, and a
// narrower row as two moves that overlap in the middle.
template <std::size_t N>
[[gnu::always_inline]] inline void CopyRowsTwoMoves(std::uint8_t* to, long toPitch,
                                                    const std::uint8_t* from, long fromPitch,
                                                    long rows, long bytes) {
    for (long row = 0; row < rows; ++row, from += fromPitch, to += toPitch) {
        std::memcpy(to, from, N);
        std::memcpy(to + bytes - N, from + bytes - N, N);
    }
}

[[gnu::always_inline]] inline void CopyShortRowsBody(std::uint8_t* to, long toPitch,
                                                     const std::uint8_t* from, long fromPitch,
                                                     long rows, long bytes) {
    if (bytes == 64) {
        for (long row = 0; row < rows; ++row, from += fromPitch, to += toPitch)
            std::memcpy(to, from, 64);
    } else if (bytes >= 32) {
        CopyRowsTwoMoves<32>(to, toPitch, from, fromPitch, rows, bytes);
    } else if (bytes >= 16) {
        CopyRowsTwoMoves<16>(to, toPitch, from, fromPitch, rows, bytes);
    } else if (bytes >= 8) {
        CopyRowsTwoMoves<8>(to, toPitch, from, fromPitch, rows, bytes);
    } else if (bytes >= 4) {
        CopyRowsTwoMoves<4>(to, toPitch, from, fromPitch, rows, bytes);
    } else {
        CopyRowsTwoMoves<2>(to, toPitch, from, fromPitch, rows, bytes);
    }
}

// Rows with a source colour key: a pixel inside the key's range leaves the destination as it
// was. Choosing between the two pixels instead of branching lets the compiler work on many pixels
// at once, as wide as the processor allows; the clouds are ten of these copies every frame.
[[gnu::always_inline]] inline void CopyKeyedRowsBody(std::uint8_t* to, long toPitch,
                                                     const std::uint8_t* from, long fromPitch,
                                                     long rows, long pixels, std::uint16_t low,
                                                     std::uint16_t high) {
    for (long row = 0; row < rows; ++row, from += fromPitch, to += toPitch) {
        auto* in = reinterpret_cast<const std::uint16_t*>(from);
        auto* out = reinterpret_cast<std::uint16_t*>(to);
        for (long i = 0; i < pixels; ++i)
            out[i] = (in[i] < low || in[i] > high) ? in[i] : out[i];
    }
}

using ShortRowsCopy = void (*)(std::uint8_t*, long, const std::uint8_t*, long, long, long);
using KeyedRowsCopy = void (*)(std::uint8_t*, long, const std::uint8_t*, long, long, long,
                               std::uint16_t, std::uint16_t);

void CopyShortRowsPlain(std::uint8_t* to, long tp, const std::uint8_t* from, long fp, long rows,
                        long bytes) {
    CopyShortRowsBody(to, tp, from, fp, rows, bytes);
}
void CopyKeyedRowsPlain(std::uint8_t* to, long tp, const std::uint8_t* from, long fp, long rows,
                        long pixels, std::uint16_t low, std::uint16_t high) {
    CopyKeyedRowsBody(to, tp, from, fp, rows, pixels, low, high);
}

// The same bodies compiled for wider registers, chosen once by asking the processor. (Not the
// compiler's own function clones: their resolvers run before a sanitizer's runtime is ready.)
#if defined(__x86_64__) || defined(__i386__)
[[gnu::target("avx2")]] void CopyShortRowsAvx2(std::uint8_t* to, long tp, const std::uint8_t* from,
                                               long fp, long rows, long bytes) {
    CopyShortRowsBody(to, tp, from, fp, rows, bytes);
}
[[gnu::target("avx512f")]] void CopyShortRowsAvx512(std::uint8_t* to, long tp,
                                                    const std::uint8_t* from, long fp, long rows,
                                                    long bytes) {
    CopyShortRowsBody(to, tp, from, fp, rows, bytes);
}
[[gnu::target("avx2")]] void CopyKeyedRowsAvx2(std::uint8_t* to, long tp, const std::uint8_t* from,
                                               long fp, long rows, long pixels, std::uint16_t low,
                                               std::uint16_t high) {
    CopyKeyedRowsBody(to, tp, from, fp, rows, pixels, low, high);
}
[[gnu::target("avx512f,avx512bw,avx512vl")]] void
CopyKeyedRowsAvx512(std::uint8_t* to, long tp, const std::uint8_t* from, long fp, long rows,
                    long pixels, std::uint16_t low, std::uint16_t high) {
    CopyKeyedRowsBody(to, tp, from, fp, rows, pixels, low, high);
}
#endif

struct RowCopies {
    ShortRowsCopy shortRows = CopyShortRowsPlain;
    KeyedRowsCopy keyedRows = CopyKeyedRowsPlain;
};

const RowCopies& ChosenRowCopies() {
    static const RowCopies chosen = [] {
        RowCopies c;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2")) {
            c.shortRows = CopyShortRowsAvx2;
            c.keyedRows = CopyKeyedRowsAvx2;
        }
        if (__builtin_cpu_supports("avx512f")) c.shortRows = CopyShortRowsAvx512;
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("avx512vl"))
            c.keyedRows = CopyKeyedRowsAvx512;
#endif
        return c;
    }();
    return chosen;
}

} // namespace

HRESULT IDirectDrawSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, const RECT* srcRect,
                                    DWORD trans) {
    if (!src) return DDERR_INVALIDPARAMS;
    SurfaceMemory* d = memory;
    SurfaceMemory* s = src->memory;
    if (d->lost || s->lost) return DDERR_SURFACELOST;
    if (Busy(d) || Busy(s)) return DDERR_SURFACEBUSY;
    RECT r = srcRect ? *srcRect : RECT{0, 0, s->width, s->height};
    if (r.left < 0 || r.top < 0 || r.right > s->width || r.bottom > s->height ||
        r.left >= r.right || r.top >= r.bottom)
        return DDERR_INVALIDRECT;
    long w = r.right - r.left, h = r.bottom - r.top;
    if (x > DWORD(d->width) || y > DWORD(d->height) || long(x) + w > d->width ||
        long(y) + h > d->height)
        return DDERR_INVALIDRECT;
    bool keyed = (trans & DDBLTFAST_SRCCOLORKEY) && s->colourKey;
    const std::uint8_t* from = s->pixels + r.top * s->pitch + r.left * 2;
    std::uint8_t* to = d->pixels + long(y) * d->pitch + long(x) * 2;
    if (!keyed && s != d && w <= 32) {
        ChosenRowCopies().shortRows(to, d->pitch, from, s->pitch, h, w * 2);
    } else if (!keyed) {
        for (long row = 0; row < h; ++row, from += s->pitch, to += d->pitch)
            std::memmove(to, from, std::size_t(w) * 2);
    } else {
        ChosenRowCopies().keyedRows(to, d->pitch, from, s->pitch, h, w, s->keyLow, s->keyHigh);
    }
    if (this == Front) BackendFrontWritten(*d);
    return DD_OK;
}

HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface*, DWORD flags) {
    if (!memory->primary || !memory->attached) return DDERR_NOTFLIPPABLE;
    SurfaceMemory* back = memory->attached->memory;
    if (memory->lost || back->lost) return DDERR_SURFACELOST;
    if (Busy(memory) || Busy(back)) return DDERR_SURFACEBUSY;
    std::swap(memory->pixels, back->pixels);
    NoteFlip();
    BackendShowFlipped(*memory, (flags & DDFLIP_WAIT) != 0);
    return DD_OK;
}
