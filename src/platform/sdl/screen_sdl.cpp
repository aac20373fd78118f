// screen_sdl.cpp -- showing the game's 16-bit picture on today's monitors
//
// The game draws at 640 by 480 or 800 by 600. We never switch the monitor's mode: the picture is
// scaled into the desktop-sized window with its 4:3 shape kept and black bars around it. A plain
// smooth scale blurs the pixel art and a plain nearest scale makes uneven pixels, so the picture
// is first enlarged by a whole number with nearest sampling, then smoothed down to the final size.
//
// Flip waits for the monitor's refresh through the renderer's vsync. Where the renderer cannot
// provide it (no compositor, software rendering, a virtual display) the flip sleeps until the
// next refresh instead, so the game never runs hundreds of frames a second for nothing.
//
// Without graphics hardware the processor draws the picture straight into the window instead
// (screen_surface.cpp), with no vsync: the same sleep paces the flips there.
#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/emulation/backend.h"
#include "platform/recording/demo_player.h"
#include "screen_fit.h"
#include "screen_scale.h"
#include "sdl_state.h"

namespace {

using Clock = std::chrono::steady_clock;

SDL_Renderer* Renderer = nullptr;
SDL_Texture* Frame = nullptr;      // the game's picture, 16-bit
SDL_Texture* Enlarged = nullptr;   // the picture enlarged by a whole number
SDL_Texture* Picture = nullptr;    // 32-bit pictures before the display exists (the dialog)
SDL_Texture* BoxTexture = nullptr; // the message box, while it is up
std::vector<std::uint32_t> Box;    // the same, for the processor-drawn path
int BoxWidth = 0, BoxHeight = 0;
int FrameWidth = 0, FrameHeight = 0, EnlargedFactor = 0;
int PictureWidth = 0, PictureHeight = 0;
bool VsyncOn = false;
bool SoftwareDrawing = false; // no graphics hardware: one plain scale is all it can afford
bool OnSurface = false;       // no graphics hardware, and the window has memory of its own
bool ShowingFrame = false;
bool FrontDirty = false;
Clock::time_point LastPresent{};
Clock::time_point LastFlip{};
Clock::time_point LastChange{}; // the picture last changed: a flip, or a change shown outside one
long PollsWithoutFlip = 0;
double Period = 1.0 / 60.0;

// The window was exposed or resized: noted as SDL takes the event in (the game's waits pump
// events but leave them queued), and painted whole at the next poll.
std::atomic<bool> ExposedPending{false};

// A key, a mouse button or a pad's button came in: the game may be about to answer it, and the
// polls of its next frame must not each wait as a standing picture's do (noted as the exposures
// are, and taken at the next poll).
std::atomic<bool> InputPending{false};

int WatchEvents(void*, SDL_Event* e) {
    if (e->type == SDL_WINDOWEVENT && (e->window.event == SDL_WINDOWEVENT_EXPOSED ||
                                       e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        ExposedPending = true;
    switch (e->type) {
    case SDL_KEYDOWN:
        // A held key's repeats change nothing the game reads.
        if (!e->key.repeat) InputPending = true;
        break;
    case SDL_KEYUP:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        InputPending = true;
    }
    return 1;
}

void SetVsync(bool on) {
    if (VsyncOn == on) return;
    if (SDL_RenderSetVSync(Renderer, on ? 1 : 0) == 0) VsyncOn = on;
}

// The message box in the middle of the output, over what was copied before it.
void CopyBox(int outW, int outH) {
    if (!BoxTexture) return;
    SDL_Rect dest{(outW - BoxWidth) / 2, (outH - BoxHeight) / 2, BoxWidth, BoxHeight};
    SDL_RenderCopy(Renderer, BoxTexture, nullptr, &dest);
}

void PresentFrame(bool vsync) {
    if (!Renderer || !Frame) return;
    SetVsync(vsync);
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(Renderer, &outW, &outH);
    FitRect fit = FitPicture(outW, outH, FrameWidth, FrameHeight);
    SDL_Rect dest{fit.x, fit.y, fit.w, fit.h};
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_SetRenderTarget(Renderer, nullptr);
    SDL_RenderClear(Renderer);
    int factor = EnlargeFactor(dest.h, FrameHeight);
    bool exact = dest.w == FrameWidth * factor && dest.h == FrameHeight * factor;
    bool twoSteps = factor > 1 && !exact && !SoftwareDrawing;
    if (twoSteps && SDL_RenderTargetSupported(Renderer)) {
        if (factor != EnlargedFactor) {
            if (Enlarged) SDL_DestroyTexture(Enlarged);
            Enlarged =
                SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                  FrameWidth * factor, FrameHeight * factor);
            if (Enlarged) SDL_SetTextureScaleMode(Enlarged, SDL_ScaleModeLinear);
            EnlargedFactor = Enlarged ? factor : 0;
        }
    }
    if (twoSteps && Enlarged && SDL_SetRenderTarget(Renderer, Enlarged) == 0) {
        SDL_RenderCopy(Renderer, Frame, nullptr, nullptr);
        SDL_SetRenderTarget(Renderer, nullptr);
        SDL_RenderCopy(Renderer, Enlarged, nullptr, &dest);
    } else {
        SDL_RenderCopy(Renderer, Frame, nullptr, &dest);
    }
    CopyBox(outW, outH);
    PresentRenderer(Renderer);
    LastPresent = Clock::now();
    ShowingFrame = true;
}

// The front surface's bytes as last shown outside a flip; empty after a flip, whose picture
// is new by definition (keeping a copy of every flipped frame would cost for nothing).
std::vector<std::uint8_t> Shown;

// Without graphics hardware the frame goes up as 32-bit pixels, so that the renderer's scale is a
// plain stretch of the window's own format instead of a conversion on every screen pixel.
std::vector<std::uint32_t> Wide;
std::vector<std::uint32_t> WideOf565; // 16-bit pixel -> 0x00RRGGBB

void UploadWide(const SurfaceMemory& front) {
    if (WideOf565.empty()) {
        WideOf565.resize(65536);
        for (std::uint32_t p = 0; p < 65536; ++p) {
            COLORREF c = PixelToColour(std::uint16_t(p));
            WideOf565[p] = std::uint32_t(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
        }
    }
    Wide.resize(std::size_t(front.width) * std::size_t(front.height));
    for (int y = 0; y < front.height; ++y) {
        auto* in = reinterpret_cast<const std::uint16_t*>(front.pixels + y * front.pitch);
        std::uint32_t* out = Wide.data() + std::size_t(y) * std::size_t(front.width);
        for (int x = 0; x < front.width; ++x)
            out[x] = WideOf565[in[x]];
    }
    SDL_UpdateTexture(Frame, nullptr, Wide.data(), front.width * 4);
}

void UploadFront(const SurfaceMemory& front) {
    if (!Frame) return;
    if (SoftwareDrawing)
        UploadWide(front);
    else
        SDL_UpdateTexture(Frame, nullptr, front.pixels, front.pitch);
}

// What changed on the front since it was last shown outside a flip: all of it after a flip.
// The pause line and the prompts are drawn again on every pass with the same pixels (nothing
// to show), a wipe changes a row or a column at a time.
FitRect ChangedSinceShown(const SurfaceMemory& front) {
    std::size_t size = std::size_t(front.pitch) * std::size_t(front.height);
    if (Shown.size() != size) return FitRect{0, 0, front.width, front.height};
    return ChangedArea(Shown.data(), front.pixels, front.width, front.height, front.pitch);
}

// Nothing on the screen has changed for a quarter of a second: the game waits for the player (a
// page held, the pause line, a question), redrawing the same pixels hundreds of times a second.
bool PictureStill() { return Clock::now() - LastChange > std::chrono::milliseconds(250); }

// A standing picture is looked at four times less often: the look compares the whole surface,
// and the first change after a wait then shows at most four refreshes late.
bool RefreshPassedSincePresent() {
    const double interval = PictureStill() ? 4 * Period : Period;
    return std::chrono::duration<double>(Clock::now() - LastPresent).count() >= interval;
}

// The game also writes the visible surface while it holds it locked (the wipes) or holds its
// device context (text pages, level titles, prompts); such writes announce themselves only
// when the surface is let go, so a front held open counts as changed at every poll.
bool FrontMayHaveChanged(const SurfaceMemory* front) {
    return FrontDirty || (front && (front->locked || front->dcOut));
}

void ShowDirtyFront() {
    const SurfaceMemory* front = DisplayFront();
    if (!front || !FrontMayHaveChanged(front) || !RefreshPassedSincePresent()) return;
    FrontDirty = false;
    FitRect changed = ChangedSinceShown(*front);
    // Nothing new: look again only a refresh later, so a page or prompt that waits costs little.
    if (changed.w == 0) {
        LastPresent = Clock::now();
        return;
    }
    LastChange = Clock::now();
    Shown.assign(front->pixels,
                 front->pixels + std::size_t(front->pitch) * std::size_t(front->height));
    // Never wait here: a wipe's rows are timed by the game's own clock, and every millisecond
    // spent showing one is added to the wipe's length.
    if (OnSurface) {
        SurfaceShowFrame(*front, changed);
        LastPresent = Clock::now();
        ShowingFrame = true;
        return;
    }
    UploadFront(*front);
    PresentFrame(false);
}

// True when the pictures are drawn by the processor: SDL's software renderer, or OpenGL
// emulated in software (virtual machines, remote desktops, machines without a driver). There
// the two-step scale of a full-screen picture costs more than a core, so a single nearest-pixel
// scale is used instead: still sharp, though some pixels come out a screen pixel wider.
bool DrawnByProcessor(const SDL_RendererInfo& info) {
    if (SDL_strcmp(info.name, "software") == 0) return true;
    if (SDL_strncmp(info.name, "opengl", 6) != 0 || !SDL_GL_GetCurrentContext()) return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto glGetString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned GlRenderer = 0x1F01;
    const char* name =
        glGetString ? reinterpret_cast<const char*>(glGetString(GlRenderer)) : nullptr;
    return name && (SDL_strstr(name, "llvmpipe") || SDL_strstr(name, "softpipe") ||
                    SDL_strstr(name, "Software") || SDL_strstr(name, "SWR"));
}

bool MakeRenderer(SDL_Window* window) {
    Renderer = SDL_CreateRenderer(window, -1,
                                  SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC |
                                      SDL_RENDERER_TARGETTEXTURE);
    if (!Renderer) Renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!Renderer) Renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!Renderer) {
        std::fprintf(stderr, "skirmo: cannot draw into the window: %s\n", SDL_GetError());
        return false;
    }
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(Renderer, &info);
    SoftwareDrawing = DrawnByProcessor(info);
    VsyncOn = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    return true;
}

// Without graphics hardware the renderer goes and the processor draws into the window's own
// memory. Not on Wayland, where SDL gives a window no memory of its own: the renderer stays.
bool MoveToWindowMemory(SDL_Window* window) {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!SoftwareDrawing || (driver && SDL_strcmp(driver, "wayland") == 0)) return false;
    SDL_DestroyRenderer(Renderer);
    Renderer = nullptr;
    return SurfaceOpen(window); // else a new renderer is made
}

// How a poll of a waiting game rests. Minimised, nothing of the game is seen and the player's
// return is a window event that the next poll takes: a twentieth of a second costs the player
// nothing and leaves the processor idle. While the picture stands still, the machine's own rest
// (RestWhileStill); while anything moves (a fade, a title) the millisecond keeps every step on
// the screen.
void RestWhileWaiting() {
    if (GameWindowHidden())
        RestFor(std::chrono::milliseconds(50));
    else if (PictureStill())
        RestWhileStill();
    else
        RestFor(std::chrono::milliseconds(1));
}

} // namespace

bool ScreenOpen(SDL_Window* window) {
    SDL_AddEventWatch(WatchEvents, nullptr);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // The window's own memory, when asked for, is the desktop's and not a texture of a renderer
    // that SDL would make behind our back (the very cost this path is there to avoid).
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!MakeRenderer(window)) return false;
    ScreenReadRefresh(window);
    OnSurface = MoveToWindowMemory(window);
    if (OnSurface) {
        SurfaceShowBlack();
        LastPresent = LastFlip = Clock::now();
        return true;
    }
    if (!Renderer && !MakeRenderer(window)) return false;
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_RenderClear(Renderer);
    PresentRenderer(Renderer);
    LastPresent = LastFlip = Clock::now();
    return true;
}

void ScreenClose() {
    SDL_DelEventWatch(WatchEvents, nullptr);
    BackendDisplayReleased();
    if (OnSurface) SurfaceClose();
    OnSurface = false;
    if (Picture) SDL_DestroyTexture(Picture);
    Picture = nullptr;
    if (BoxTexture) SDL_DestroyTexture(BoxTexture);
    BoxTexture = nullptr;
    Box.clear();
    if (Renderer) SDL_DestroyRenderer(Renderer);
    Renderer = nullptr;
}

void ScreenOutputSize(int* w, int* h) {
    *w = *h = 0;
    if (OnSurface)
        SurfaceOutputSize(w, h);
    else if (Renderer)
        SDL_GetRendererOutputSize(Renderer, w, h);
}

void ScreenExposed() {
    if (OnSurface) SurfaceExposed();
}

void ScreenReadRefresh(SDL_Window* window) {
    // Used when vsync is not there to pace the flips; each monitor has its own rate.
    SDL_DisplayMode mode{};
    int display = SDL_GetWindowDisplayIndex(window);
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) == 0 && mode.refresh_rate > 0)
        Period = 1.0 / mode.refresh_rate;
}

void ScreenShowPicture(const std::uint32_t* pixels, int width, int height) {
    ServeDesktopRequests(); // the dialog's loop polls nothing else
    if (OnSurface) {
        SurfaceShowPicture(pixels, width, height);
        ShowingFrame = false;
        return;
    }
    if (!Renderer) return;
    if (!Picture || width != PictureWidth || height != PictureHeight) {
        if (Picture) SDL_DestroyTexture(Picture);
        Picture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                    width, height);
        PictureWidth = width;
        PictureHeight = height;
    }
    if (!Picture) return;
    SDL_UpdateTexture(Picture, nullptr, pixels, width * 4);
    SetVsync(true);
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(Renderer, &outW, &outH);
    SDL_Rect dest{(outW - width) / 2, (outH - height) / 2, width, height};
    SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
    SDL_RenderClear(Renderer);
    SDL_RenderCopy(Renderer, Picture, nullptr, &dest);
    PresentRenderer(Renderer);
    ShowingFrame = false;
}

namespace {

// The whole window again: the game's picture with the box over it; before there is a picture,
// black under the box, or black alone when blackWithout (the box just went).
void PaintWhole(bool blackWithout) {
    const SurfaceMemory* front = ShowingFrame ? DisplayFront() : nullptr;
    const bool box = !Box.empty();
    if (OnSurface) {
        SurfaceExposed();
        if (front)
            SurfaceShowFrame(*front, FitRect{0, 0, front->width, front->height});
        else if (box || blackWithout)
            SurfaceShowBlack();
        if (box) SurfaceShowOver(Box.data(), BoxWidth, BoxHeight);
        return;
    }
    if (!Renderer) return;
    if (front) {
        UploadFront(*front);
        PresentFrame(false);
    } else if (box || blackWithout) {
        int outW = 0, outH = 0;
        SDL_GetRendererOutputSize(Renderer, &outW, &outH);
        SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
        SDL_RenderClear(Renderer);
        CopyBox(outW, outH);
        PresentRenderer(Renderer);
    }
}

} // namespace

void ScreenRepaintIfExposed() {
    ServeDesktopRequests();
    if (ExposedPending.exchange(false)) PaintWhole(false);
}

void ScreenShowBox(const std::uint32_t* pixels, int width, int height) {
    // The same box drawn anew (a button pushed in): on the processor's path only the box goes up.
    const bool again = pixels && !Box.empty() && width == BoxWidth && height == BoxHeight;
    if (again && OnSurface) {
        Box.assign(pixels, pixels + std::size_t(width) * std::size_t(height));
        SurfaceShowOver(Box.data(), BoxWidth, BoxHeight);
        return;
    }
    if (BoxTexture) SDL_DestroyTexture(BoxTexture);
    BoxTexture = nullptr;
    Box.clear();
    if (pixels && width > 0 && height > 0) {
        Box.assign(pixels, pixels + std::size_t(width) * std::size_t(height));
        BoxWidth = width;
        BoxHeight = height;
        if (Renderer) {
            BoxTexture = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STATIC, width, height);
            if (BoxTexture) SDL_UpdateTexture(BoxTexture, nullptr, Box.data(), width * 4);
        }
    }
    PaintWhole(true);
}

void ScreenOnClockPoll() {
    ScreenRepaintIfExposed();
    // Spinning on the clock with no flip is a wait too: the level titles fade in and out for
    // four seconds that way. Their fades are timed by the clock, so sleeping through them (as
    // for the keyboard, below) changes nothing but the processor's load. Not while the visible
    // surface is locked: that is a wipe, whose every 5 ms step would be lengthened.
    const SurfaceMemory* front = DisplayFront();
    if (front && front->locked)
        ShowDirtyFront();
    else
        ScreenOnWaitingPoll();
}

void ScreenOnWaitingPoll() {
    ScreenRepaintIfExposed();
    ShowDirtyFront();
    // Many polls of the keyboard, the messages or the clock and no flip: the game is waiting (a
    // prompt, a text page, a title, a held key, the pause, the background). A millisecond's sleep
    // per poll changes no result and frees the processor.
    // A demo's time comes from the recording alone (demo_sdl.cpp), which holds these waits.
    // The player's input starts the count again: unpaused, a frame reads some thirty keys before
    // its flip, and a standing picture's rest at each (8 ms here, up to 64 in the page) showed
    // the game going on 140 ms after P was let go on the desktop, two seconds in the page.
    if (InputPending.exchange(false)) PollsWithoutFlip = 0;
    if (++PollsWithoutFlip > 500 && !DemoPlaying()) RestWhileWaiting();
}

// --- what the shared display code asks of the real machine ---

bool BackendFailDisplayStep(DisplayStep, int) { return false; }
bool BackendPixelFormat555() { return false; }
int BackendPitchPadding() { return 0; }
void BackendTextDrawn() {}
void BackendCall(const char*) {}

bool BackendSetDisplayMode(int width, int height) {
    WindowFitsGame(width, height);
    if (OnSurface) {
        FrameWidth = width;
        FrameHeight = height;
        Shown.clear();
        SurfaceShowBlack();
        LastPresent = Clock::now();
        return true;
    }
    if (!Renderer) return false;
    if (Frame) SDL_DestroyTexture(Frame);
    if (Enlarged) SDL_DestroyTexture(Enlarged);
    Enlarged = nullptr;
    EnlargedFactor = 0;
    Frame = SDL_CreateTexture(Renderer,
                              SoftwareDrawing ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565,
                              SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!Frame) {
        std::fprintf(stderr, "skirmo: cannot make the %dx%d picture: %s\n", width, height,
                     SDL_GetError());
        return false;
    }
    SDL_SetTextureScaleMode(Frame, SDL_ScaleModeNearest);
    FrameWidth = width;
    FrameHeight = height;
    // A black screen in the new size until the first picture arrives.
    std::vector<std::uint32_t> black(std::size_t(width) * std::size_t(height), 0);
    SDL_UpdateTexture(Frame, nullptr, black.data(), width * (SoftwareDrawing ? 4 : 2));
    PresentFrame(false);
    return true;
}

void BackendDisplayReleased() {
    if (Frame) SDL_DestroyTexture(Frame);
    if (Enlarged) SDL_DestroyTexture(Enlarged);
    Frame = Enlarged = nullptr;
    EnlargedFactor = 0;
    FrontDirty = false;
    ShowingFrame = false;
}

void BackendShowFlipped(const SurfaceMemory& front, bool wait) {
    LastChange = Clock::now();
    FrontDirty = false;
    PollsWithoutFlip = 0;
    Shown.clear();
    if (OnSurface) {
        SurfaceShowFrame(front, FitRect{0, 0, front.width, front.height});
        LastPresent = Clock::now();
        ShowingFrame = true;
    } else {
        UploadFront(front);
        PresentFrame(wait);
    }
    if (!wait) return;
    // Vsync that really waits makes flips at least a refresh apart. Flips closer than that mean
    // the renderer did not wait, so wait here for the refresh it skipped.
    auto now = Clock::now();
    auto due = LastFlip +
               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(Period));
    if (now < LastFlip + (due - LastFlip) * 9 / 10) now = RestUntil(due);
    LastFlip = now;
}

void BackendFrontWritten(const SurfaceMemory&) {
    FrontDirty = true;
    ShowDirtyFront();
}
