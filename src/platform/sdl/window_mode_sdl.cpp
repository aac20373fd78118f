// window_mode_sdl.cpp -- full screen or a window, F11, and the window remembered
//
// The game starts as the player left it (window_settings.h): full screen on the desktop, or a
// window of its own that can be moved and resized; the picture keeps its shape in either
// (screen_sdl.cpp). F11 switches, and pads come and go (pad_sdl.cpp). F11 is the desktop's key,
// not the game's, as F12 is (screenshot.h): neither reaches its window procedure. F11 is noticed
// as SDL takes it in, even while the game spins in a wait where no message is read, and carried
// out at the next poll, on the game's thread.
#include <SDL.h>

#include <atomic>
#include <cstdio>

#include "platform/emulation/backend.h"
#include "platform/api/desktop.h"
#include "screenshot.h"
#include "window_settings.h"
#include "screen_fit.h"
#include "sdl_state.h"

namespace {

WindowChoice Choice = WindowChoice::Remembered;
WindowSettings Loaded;   // as read at the start
WindowSettings Settings; // as they are now, to be kept
SDL_Window* Game = nullptr;
bool Fullscreen = true;
int GameWidth = 640, GameHeight = 480; // the game's picture (the dialog's choice changes it)
int SetWidth = 0, SetHeight = 0;       // the window's size as we last made it
// Where the window settled after we placed it (the window manager has the last word on a new
// window's place): a place kept is one the player moved it to.
Uint64 PlacedAt = 0; // when we last placed it, in SDL's milliseconds; 0 while full screen
bool Settled = false;
int SettledX = 0, SettledY = 0;
constexpr Uint64 SettlingMs = 1000;

std::atomic<bool> ToggleWanted{false};

// Room left around a new window for its frame and the desktop's panels.
constexpr int FrameRoom = 64;

int WatchDesktop(void*, SDL_Event* e) {
    if (e->type != SDL_KEYDOWN || e->key.repeat) return 1;
    if (IsScreenshotKey(e->key.keysym))
        AskForScreenshot();
    else if (IsDesktopKey(e->key.keysym))
        ToggleWanted = true;
    return 1;
}

SDL_Rect Usable(int display) {
    SDL_Rect r{};
    if (SDL_GetDisplayUsableBounds(display, &r) != 0 || r.w <= 0 || r.h <= 0)
        r = SDL_Rect{0, 0, 640, 480};
    return r;
}

// A new window: twice the game's picture, or once where twice does not fit, or the picture's
// shape as large as fits.
SDL_Rect DefaultSize(int display) {
    SDL_Rect room = Usable(display);
    room.w -= FrameRoom, room.h -= FrameRoom;
    for (int times = 2; times >= 1; --times)
        if (GameWidth * times <= room.w && GameHeight * times <= room.h)
            return SDL_Rect{0, 0, GameWidth * times, GameHeight * times};
    FitRect fit = FitPicture(room.w, room.h, GameWidth, GameHeight);
    return SDL_Rect{0, 0, fit.w > 0 ? fit.w : GameWidth, fit.h > 0 ? fit.h : GameHeight};
}

// A remembered place counts only while a good part of the window would be on some display (a
// monitor unplugged since would otherwise hide the game).
bool OnSomeDisplay(const SDL_Rect& window) {
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect bounds{}, common{};
        if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_IntersectRect(&window, &bounds, &common) &&
            common.w >= 64 && common.h >= 64)
            return true;
    }
    return false;
}

// The window's rectangle: remembered, or new in the middle of the display; never larger than
// the display.
SDL_Rect WindowRect(int display) {
    SDL_Rect r = DefaultSize(display);
    if (Settings.hasSize) r.w = Settings.width, r.h = Settings.height;
    SDL_Rect usable = Usable(display);
    r.w = SDL_min(r.w, usable.w), r.h = SDL_min(r.h, usable.h);
    r.x = r.y = int(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    if (Settings.hasPlace && OnSomeDisplay(SDL_Rect{Settings.x, Settings.y, r.w, r.h}))
        r.x = Settings.x, r.y = Settings.y;
    return r;
}

void Placed(int w, int h) {
    SetWidth = w, SetHeight = h;
    PlacedAt = SDL_GetTicks64() | 1;
    Settled = false;
}

// The frame's corner, as window managers read a new window's place.
void FramePlace(int* x, int* y) {
    SDL_GetWindowPosition(Game, x, y);
    int top = 0, left = 0;
    if (SDL_GetWindowBordersSize(Game, &top, &left, nullptr, nullptr) == 0) *x -= left, *y -= top;
}

// The window's size and place once the player changed either, while it is a window: a size
// other than we made it, a place other than where it settled. A resized window keeps its place
// too: one centred at its old size is not where the player left it.
void NoteWindow() {
    if (!Game || Fullscreen) return;
    int w = 0, h = 0, x = 0, y = 0;
    SDL_GetWindowSize(Game, &w, &h);
    FramePlace(&x, &y);
    if (w == SetWidth && h == SetHeight && (!Settled || (x == SettledX && y == SettledY))) return;
    Settings.width = SetWidth = w, Settings.height = SetHeight = h;
    Settings.x = SettledX = x, Settings.y = SettledY = y;
    Settings.hasSize = Settings.hasPlace = Settled = true;
}

void Keep() {
    NoteWindow();
    if (Settings == Loaded) return;
    SaveWindowSettings(Settings);
    Loaded = Settings;
}

void MakeWindowed(int display) {
    SDL_Rect r = WindowRect(display);
    SDL_SetWindowFullscreen(Game, 0);
    SDL_SetWindowBordered(Game, SDL_TRUE);
    SDL_SetWindowResizable(Game, SDL_TRUE);
    SDL_SetWindowSize(Game, r.w, r.h);
    SDL_SetWindowPosition(Game, r.x, r.y);
    Placed(r.w, r.h);
}

void ToggleFullscreen() {
    if (Fullscreen) {
        Fullscreen = false;
        int display = SDL_GetWindowDisplayIndex(Game);
        MakeWindowed(display < 0 ? ChosenDisplay() : display);
    } else {
        NoteWindow();
        Fullscreen = true;
        PlacedAt = 0;
        SDL_SetWindowFullscreen(Game, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    // The player chose: this is how the game starts next time.
    Settings.fullscreen = Fullscreen;
    Keep();
}

} // namespace

void ChooseWindowMode(WindowChoice choice) { Choice = choice; }

bool IsDesktopKey(const SDL_Keysym& key) {
    return IsScreenshotKey(key) ||
           (key.sym == SDLK_F11 && !(key.mod & (KMOD_ALT | KMOD_CTRL | KMOD_GUI)));
}

SDL_Window* MakeGameWindow(const char* title, bool visible) {
    Settings = Loaded = LoadWindowSettings();
    Fullscreen = Choice == WindowChoice::Remembered ? Settings.fullscreen
                                                    : Choice == WindowChoice::Fullscreen;
    const int display = ChosenDisplay();
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | (visible ? 0 : SDL_WINDOW_HIDDEN);
    if (Fullscreen) {
        // A borderless window over the whole desktop, as the game asks for, then the desktop's
        // own full-screen state on top: with a window manager that keeps panels away, without
        // one the window already covers the screen.
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(display, &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0)
            bounds = SDL_Rect{0, 0, 640, 480};
        Game = SDL_CreateWindow(title, bounds.x, bounds.y, bounds.w, bounds.h,
                                flags | SDL_WINDOW_BORDERLESS);
        if (Game) SDL_SetWindowFullscreen(Game, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_Rect r = WindowRect(display);
        Game = SDL_CreateWindow(title, r.x, r.y, r.w, r.h, flags | SDL_WINDOW_RESIZABLE);
        Placed(r.w, r.h);
    }
    if (Game) {
        SDL_SetWindowMinimumSize(Game, SmallestWindowWidth, SmallestWindowHeight);
        SDL_AddEventWatch(WatchDesktop, nullptr);
    }
    return Game;
}

void WindowFitsGame(int width, int height) {
    GameWidth = width, GameHeight = height;
    if (!Game || Fullscreen || Settings.hasSize) return;
    // A new window grows with the picture chosen in the dialog, unless the player sized it.
    int w = 0, h = 0;
    SDL_GetWindowSize(Game, &w, &h);
    if (w != SetWidth || h != SetHeight) return;
    int display = SDL_GetWindowDisplayIndex(Game);
    if (display < 0) display = ChosenDisplay();
    SDL_Rect r = DefaultSize(display);
    // Only ever larger: 800 by 600 once where twice does not fit stays at the larger window.
    if (r.w <= w) return;
    const int centred = int(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    SDL_SetWindowSize(Game, r.w, r.h);
    SDL_SetWindowPosition(Game, centred, centred);
    Placed(r.w, r.h);
}

bool GameWindowHidden() {
    return Game && (SDL_GetWindowFlags(Game) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN));
}

void ServeDesktopRequests() {
    ServePads();
    if (!Game) return;
    if (PlacedAt && !Settled && SDL_GetTicks64() - PlacedAt >= SettlingMs) {
        FramePlace(&SettledX, &SettledY);
        Settled = true;
    }
    if (ToggleWanted.exchange(false)) ToggleFullscreen();
    TakeAskedScreenshot(DisplayFront());
}

void DesktopServicesEnd() {
    if (!Game) return;
    Keep();
    SDL_DelEventWatch(WatchDesktop, nullptr);
    ClosePads();
    FinishScreenshots();
    Game = nullptr;
}
