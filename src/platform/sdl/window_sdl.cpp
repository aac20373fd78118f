// window_sdl.cpp -- the game window on the desktop, its messages, dialog and message boxes
//
// SDL's events become the few messages the game's window procedure expects: focus lost and
// gained become activation changes, a close request (Alt+F4, the desktop's close) becomes
// WM_CLOSE, keys held with Alt become system keys. The window covers the desktop without
// switching the monitor's mode.
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "../dialog_ui.h"
#include "../window.h"
#include "sdl_state.h"

namespace {

Window* TheWindow = nullptr;
SDL_Window* Sdl = nullptr;
bool VideoTried = false, VideoUp = false;
SDL_AudioDeviceID BeepDevice = 0;

// One SDL event as a message for the game window; false when it means nothing to the game.
bool Translate(const SDL_Event& e, MSG* msg) {
    *msg = MSG{TheWindow, 0, 0, 0};
    switch (e.type) {
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            msg->message = WM_ACTIVATEAPP, msg->wParam = 1;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            msg->message = WM_ACTIVATEAPP, msg->wParam = 0;
            return true;
        case SDL_WINDOWEVENT_CLOSE:
            msg->message = WM_CLOSE;
            return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            ScreenShowAgain();
            return false;
        default:
            return false;
        }
    case SDL_QUIT:
        msg->message = WM_CLOSE;
        return true;
    case SDL_AUDIODEVICEREMOVED:
        if (!e.adevice.iscapture) SoundDeviceRemoved(e.adevice.which);
        return false;
    case SDL_KEYDOWN: {
        msg->message = (e.key.keysym.mod & KMOD_ALT) ? WM_SYSKEYDOWN : WM_KEYDOWN;
        msg->wParam = WPARAM(VirtualKeyOf(e.key.keysym.sym));
        return true;
    }
    default:
        return false;
    }
}

void StopBeep() {
    if (BeepDevice) SDL_CloseAudioDevice(BeepDevice);
    BeepDevice = 0;
}

} // namespace

bool EnsureVideo() {
    if (VideoTried) return VideoUp;
    VideoTried = true;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "skirmo: no display to open a window on: %s\n", SDL_GetError());
        return false;
    }
    // Without a desktop SDL falls back to drivers that show nothing: the start-up dialog would
    // then wait for a click nobody can make.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr, "skirmo: no display to open a window on (is DISPLAY or "
                             "WAYLAND_DISPLAY set?)\n");
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return false;
    }
    VideoUp = true;
    return true;
}

HWND BackendWindow() { return TheWindow; }
void BackendQuitPosted(int) {}

HWND CreateWindowExA(DWORD, const char* className, const char* title, DWORD style, int, int, int,
                     int, HWND, void*, HINSTANCE, void*) {
    WNDPROC proc = RegisteredWindowProc(className);
    if (!proc || TheWindow || !EnsureVideo()) return nullptr;
    // Alt+Tab must work: keep the desktop's window manager in charge of a borderless window the
    // size of the desktop instead of grabbing the monitor.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // A borderless window over the whole desktop, as the game asks for, then the desktop's own
    // full-screen state on top: with a window manager that keeps panels away, without one the
    // window already covers the screen.
    SDL_DisplayMode desktop{};
    SDL_GetDesktopDisplayMode(0, &desktop);
    Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!(style & WS_VISIBLE)) flags |= SDL_WINDOW_HIDDEN;
    SDL_Window* sdl = SDL_CreateWindow(title ? title : "", 0, 0, desktop.w > 0 ? desktop.w : 640,
                                       desktop.h > 0 ? desktop.h : 480, flags);
    if (!sdl) {
        std::fprintf(stderr, "skirmo: cannot open the game window: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (!ScreenOpen(sdl)) {
        SDL_DestroyWindow(sdl);
        return nullptr;
    }
    TheWindow = new Window{proc};
    Sdl = sdl;
    TheWindow->proc(TheWindow, WM_CREATE, 0, 0);
    return TheWindow;
}

BOOL DestroyWindow(HWND window) {
    if (!window || window != TheWindow) return 0;
    window->proc(window, WM_DESTROY, 0, 0);
    StopBeep();
    ScreenClose();
    SDL_DestroyWindow(Sdl);
    Sdl = nullptr;
    delete window;
    TheWindow = nullptr;
    return 1;
}

int GetSystemMetrics(int index) {
    if (!EnsureVideo()) return 0;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    return index == SM_CXSCREEN ? mode.w : index == SM_CYSCREEN ? mode.h : 0;
}

BOOL MessageBeep(UINT) {
    // The desktop has no system beep to ask for, so play a short soft chime ourselves; a
    // machine without sound simply stays quiet.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    SDL_AudioSpec want{}, have{};
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 512;
    StopBeep();
    BeepDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!BeepDevice) return 0;
    std::vector<Sint16> tone(std::size_t(want.freq) * 15 / 100);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        double t = double(i) / want.freq;
        double envelope = std::exp(-t * 30.0) * (i < 64 ? double(i) / 64.0 : 1.0);
        tone[i] = Sint16(6000.0 * envelope * std::sin(2.0 * M_PI * 880.0 * t));
    }
    SDL_QueueAudio(BeepDevice, tone.data(), Uint32(tone.size() * sizeof(Sint16)));
    SDL_PauseAudioDevice(BeepDevice, 0);
    return 1;
}

int ShowCursor(BOOL show) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return 0;
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    return show ? 0 : -1;
}

BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT) {
    if (!msg) return 0;
    ScreenOnWaitingPoll();
    if (TakePosted(msg)) return 1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (Translate(e, msg)) return 1;
    }
    return TakeQuit(msg);
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    SDL_Window* parent = owner && owner == TheWindow ? Sdl : nullptr;
    if (parent) SDL_ShowCursor(SDL_ENABLE);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption ? caption : "", text ? text : "",
                             parent);
    return IDOK;
}

void OutputDebugStringA(const char* text) {
    if (text) std::fputs(text, stderr);
}

// --- the modal dialog ---

INT_PTR DialogBoxParamA(HINSTANCE, const DialogTemplate* dialogTemplate, HWND owner, DLGPROC proc,
                        LPARAM param) {
    if (!dialogTemplate || !proc || !owner || owner != TheWindow) return -1;
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(TheRenderer(), &outW, &outH);
    int winW = 0, winH = 0;
    SDL_GetWindowSize(Sdl, &winW, &winH);
    // The dialog is small in pixels; on big monitors it is drawn at twice the size or more.
    int scale = outH >= 1400 ? outH / 700 : 1;
    DialogUi* ui = DialogUiCreate(dialogTemplate, scale);
    if (!ui) return -1;
    int w = DialogUiWidth(ui), h = DialogUiHeight(ui);
    std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
    SDL_ShowCursor(SDL_ENABLE);
    auto send = [&](DialogAction a) {
        if (a.command) SendDialogCommand(a.controlId);
    };
    auto toDialog = [&](int x, int y, int* dx, int* dy) {
        // Mouse positions are in window points; the picture is in output pixels.
        double sx = winW > 0 ? double(outW) / winW : 1.0, sy = winH > 0 ? double(outH) / winH : 1.0;
        *dx = int(x * sx) - (outW - w) / 2;
        *dy = int(y * sy) - (outH - h) / 2;
    };
    if (!BeginModalDialog(proc, param)) {
        DialogUiDestroy(ui);
        return -1;
    }
    while (!ModalDialogEnded()) {
        DialogUiDraw(ui, pixels.data(), w, h, w, 0, 0);
        ScreenShowPicture(pixels.data(), w, h);
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 250)) continue;
        do {
            int dx = 0, dy = 0;
            switch (e.type) {
            case SDL_QUIT:
                send({true, IDCANCEL});
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) send({true, IDCANCEL});
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT) {
                    toDialog(e.button.x, e.button.y, &dx, &dy);
                    DialogUiMouseDown(ui, dx, dy);
                }
                break;
            case SDL_MOUSEMOTION:
                toDialog(e.motion.x, e.motion.y, &dx, &dy);
                DialogUiMouseMove(ui, dx, dy);
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_LEFT) {
                    toDialog(e.button.x, e.button.y, &dx, &dy);
                    send(DialogUiMouseUp(ui, dx, dy));
                }
                break;
            case SDL_KEYDOWN: {
                SDL_Keycode k = e.key.keysym.sym;
                if ((e.key.keysym.mod & KMOD_ALT) && k == SDLK_F4)
                    send({true, IDCANCEL});
                else if (k == SDLK_TAB)
                    send(DialogUiKey(ui, (e.key.keysym.mod & KMOD_SHIFT) ? DialogKeyShiftTab
                                                                         : DialogKeyTab));
                else if (k == SDLK_SPACE)
                    send(DialogUiKey(ui, DialogKeySpace));
                else if (k == SDLK_RETURN || k == SDLK_KP_ENTER)
                    send(DialogUiKey(ui, DialogKeyEnter));
                else if (k == SDLK_ESCAPE)
                    send(DialogUiKey(ui, DialogKeyEscape));
                break;
            }
            default:
                break;
            }
        } while (!ModalDialogEnded() && SDL_PollEvent(&e));
    }
    DialogUiDestroy(ui);
    // Back to a black desktop until the display shows its first picture.
    std::vector<std::uint32_t> black(std::size_t(w) * std::size_t(h), 0);
    ScreenShowPicture(black.data(), w, h);
    StopBeep();
    return FinishModalDialog();
}

void FrameStepBegins() {}
void FrameStepEnds() {}
