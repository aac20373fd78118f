// window_sdl.cpp -- the game window on the desktop, its messages, dialog and message boxes
//
// SDL's events become the few messages the game's window procedure expects: focus lost and
// gained become activation changes, a close request (Alt+F4, the desktop's close) becomes
// WM_CLOSE, keys held with Alt become system keys. The window covers the desktop without
// switching the monitor's mode, or is a window of its own (window_mode_sdl.cpp).
#include <SDL.h>

#include <semaphore.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/recording/demo_player.h"
#include "platform/emulation/dialog_ui.h"
#include "platform/emulation/fonts.h"
#include "platform/emulation/message_box.h"
#include "platform/recording/recorder.h"
#include "platform/emulation/signals.h"
#include "platform/api/window.h"
#include "screen_fit.h"
#include "sdl_state.h"

namespace {

Window* TheWindow = nullptr;
SDL_Window* Sdl = nullptr;
bool VideoTried = false, VideoUp = false;
SDL_AudioDeviceID BeepDevice = 0;
bool BeepAudioUp = false; // SDL's audio was started for the beep (once)
bool CursorHidden = false;
int Display = -1; // the display the window and the dialog go on, once chosen

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
        case SDL_WINDOWEVENT_MOVED:
        case SDL_WINDOWEVENT_DISPLAY_CHANGED:
            if (Sdl) ScreenReadRefresh(Sdl);
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
        if (IsDesktopKey(e.key.keysym)) return false;
        msg->message = (e.key.keysym.mod & KMOD_ALT) ? WM_SYSKEYDOWN : WM_KEYDOWN;
        msg->wParam = WPARAM(VirtualKeyOf(e.key.keysym.sym));
        return true;
    }
    case SDL_CONTROLLERBUTTONDOWN:
        // A pad's button posts its key's message as the keyboard would (a box takes it).
        msg->message = WM_KEYDOWN;
        msg->wParam = WPARAM(PadButtonKey(e.cbutton.button));
        return msg->wParam != 0;
    default:
        return false;
    }
}

// A point of the window as a point of a w by h picture centred on it (the dialog, a box). Mouse
// positions are in window points, the picture is in output pixels, and both sizes are read now:
// a late switch to full screen or a density change must not offset clicks.
void WindowToDialog(int x, int y, int w, int h, int* dx, int* dy) {
    int winW = 0, winH = 0, outW = 0, outH = 0;
    SDL_GetWindowSize(Sdl, &winW, &winH);
    ScreenOutputSize(&outW, &outH);
    WindowToPicture(x, y, winW, winH, outW, outH, w, h, dx, dy);
}

// The watchdog behind the polls: a stall where no poll comes (a file that blocks, a library that
// holds the sound output's lock) must not keep a signalled program alive. Eight tenths of a second
// after the signal it ends the process as it is; the desktop takes the window and the sound stream
// back then. A poll comes within milliseconds otherwise, and ends the process cleanly first
// (a tenth of a second or so; several times that on a machine loaded to its limits).
sem_t WatchdogWake;
volatile bool WatchdogUp = false;

void StartWatchdog() {
    if (WatchdogUp || sem_init(&WatchdogWake, 0, 0) != 0) return;
    WatchdogUp = RunDetached([] {
        while (sem_wait(&WatchdogWake) != 0) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        std::fprintf(stderr, "skirmo: ended by a signal while stalled, without its clean-up\n");
        _exit(128 + NotedEndSignal());
    });
}

void StopBeep() {
    if (BeepDevice) SDL_CloseAudioDevice(BeepDevice);
    BeepDevice = 0;
}

// Without the dialog's and the game's font every text would be blank and nobody would know why:
// say so in SDL's own message box, which needs no font. False when the font is missing: the
// window is then not made, and the program ends with its status for no window.
bool RequireFonts() {
    if (!FindFontFile(false).empty() && !FindFontFile(true).empty()) return true;
    const char* text = "The font DejaVu Sans (DejaVuSans.ttf and DejaVuSans-Bold.ttf) is missing, "
                       "so the game could show no text.\n\nInstall the package fonts-dejavu-core "
                       "(sudo apt-get install fonts-dejavu-core) and start the game again.";
    std::fprintf(stderr, "skirmo: %s\n", text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Velmora cannot start", text, nullptr);
    return false;
}

} // namespace

bool EnsureVideo() {
    if (VideoTried) return VideoUp;
    VideoTried = true;
    // SIGTERM, SIGINT and SIGHUP are ours to handle (signals.h), not turned into a close request
    // that the game's waits would never read.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "skirmo: no display to open a window on: %s\n", SDL_GetError());
        return false;
    }
    // Without a desktop SDL may fall back to drivers that show nothing: the start-up dialog
    // would then wait for a click nobody can make.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr,
                     "skirmo: no display to open a window on: SDL found only its '%s' video "
                     "driver, which shows nothing (is DISPLAY or WAYLAND_DISPLAY set?)\n",
                     driver);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return false;
    }
    VideoUp = true;
    return true;
}

int ChosenDisplay() {
    if (Display >= 0) return Display;
    // On several monitors the game goes where the player is looking: the one with the mouse.
    int count = SDL_GetNumVideoDisplays();
    std::vector<FitRect> displays;
    for (int i = 0; i < count; ++i) {
        SDL_Rect r{};
        if (SDL_GetDisplayBounds(i, &r) != 0) r = SDL_Rect{0, 0, 0, 0};
        displays.push_back(FitRect{r.x, r.y, r.w, r.h});
    }
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    Display = count > 0 ? DisplayHolding(x, y, displays.data(), count) : 0;
    return Display;
}

HWND BackendWindow() { return TheWindow; }
void BackendQuitPosted(int) {}

HWND BackendOpenWindow(WNDPROC proc, const char* title, DWORD style) {
    if (!EnsureVideo()) return nullptr;
    // Alt+Tab must work: keep the desktop's window manager in charge of a borderless window the
    // size of the desktop instead of grabbing the monitor.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (!RequireFonts()) return nullptr;
    SDL_Window* sdl = MakeGameWindow(title, (style & WS_VISIBLE) != 0);
    if (!sdl) {
        std::fprintf(stderr, "skirmo: cannot open the game window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (!ScreenOpen(sdl)) {
        DesktopServicesEnd();
        SDL_DestroyWindow(sdl);
        return nullptr;
    }
    TheWindow = new Window{proc};
    Sdl = sdl;
    StartWatchdog();
    return TheWindow;
}

void BackendCloseWindow(HWND window) {
    DesktopServicesEnd();
    StopBeep();
    if (BeepAudioUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    BeepAudioUp = false;
    ScreenClose();
    SDL_DestroyWindow(Sdl);
    Sdl = nullptr;
    delete window;
    TheWindow = nullptr;
}

bool CloseWaiting() {
    if (!TheWindow) return false;
    if (ClosePosted()) return true;
    // What Translate makes WM_CLOSE or Alt+F4's system key of, looked at where it waits.
    SDL_Event events[64];
    int count = SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_QUIT, SDL_KEYDOWN);
    for (int i = 0; i < count; ++i) {
        const SDL_Event& e = events[i];
        if (e.type == SDL_QUIT ||
            (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) ||
            (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_F4 && (e.key.keysym.mod & KMOD_ALT)))
            return true;
    }
    return false;
}

void BackendSignalNoted() {
    if (WatchdogUp) sem_post(&WatchdogWake);
}

void BackendEndBySignal(int signal) {
    // The recording first, so that what was recorded is on disk before anything can stall.
    EndRecordingBySignal(signal);
    if (!signal) EndProgramNow(0, nullptr); // the player closed the window
    const std::string line = std::string("skirmo: ended by ") + EndSignalName(signal) + "\n";
    EndProgramNow(128 + signal, line.c_str());
}

void EndProgramNow(int status, const char* line) {
    // The sound first: its thread reads what the exit frees, and output stopped in mid-swing
    // clicks. Then the desktop as it was: the pointer back, the window gone.
    SoundOutputEnd();
    StopBeep();
    DesktopServicesEnd();
    SDL_ShowCursor(SDL_ENABLE);
    if (Sdl) {
        ScreenClose();
        SDL_DestroyWindow(Sdl);
        Sdl = nullptr;
    }
    SDL_Quit();
    if (line) std::fputs(line, stderr);
    std::exit(status);
}

int GetSystemMetrics(int index) {
    if (!EnsureVideo()) return 0;
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(ChosenDisplay(), &mode) != 0) return 0;
    return index == SM_CXSCREEN ? mode.w : index == SM_CYSCREEN ? mode.h : 0;
}

BOOL MessageBeep(UINT) {
    // The desktop has no system beep to ask for, so play a short soft chime ourselves; a
    // machine without sound simply stays quiet.
    // SDL's audio is started once for all beeps; the window's destruction stops it.
    if (!BeepAudioUp) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
        BeepAudioUp = true;
    }
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
    CursorHidden = !show;
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
    return show ? 0 : -1;
}

bool BackendNextMessage(MSG* msg) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (Translate(e, msg)) return true;
    return false;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT) {
    RecordedBox recorded(caption, text);
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    int outW = 0, outH = 0;
    ScreenOutputSize(&outW, &outH);
    OwnBox box;
    if (owner && owner == TheWindow) box = OpenOwnBox(caption, text, DialogScale(outH));
    if (DemoPlaying()) {
        // Up for as long as the recorded player read it; the viewer answers nothing.
        if (box.ui) {
            const int w = DialogUiWidth(box.ui), h = DialogUiHeight(box.ui);
            std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
            DialogUiDraw(box.ui, pixels.data(), w, h, w, 0, 0);
            ScreenShowBox(pixels.data(), w, h);
        }
        DemoMessageBox(caption, text);
        ScreenShowBox(nullptr, 0, 0);
        CloseOwnBox(box);
        return IDOK;
    }
    if (!box.ui) {
        // No window of the game's to draw in: the desktop's own box.
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption ? caption : "", text ? text : "",
                                 nullptr);
        return IDOK;
    }
    const int w = DialogUiWidth(box.ui), h = DialogUiHeight(box.ui);
    std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
    SDL_ShowCursor(SDL_ENABLE);
    bool redraw = true;
    // What the desktop queued before the box came up is the window's, not the box's.
    SDL_PumpEvents();
    int early = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    while (!box.answered) {
        EndIfSignalled();
        ScreenRepaintIfExposed();
        if (redraw) {
            DialogUiDraw(box.ui, pixels.data(), w, h, w, 0, 0);
            ScreenShowBox(pixels.data(), w, h);
            redraw = false;
        }
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        do {
            int dx = 0, dy = 0;
            MSG msg{};
            const bool earlier = early-- > 0;
            if (earlier && (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP)) continue;
            switch (e.type) {
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button != SDL_BUTTON_LEFT) break;
                WindowToDialog(e.button.x, e.button.y, w, h, &dx, &dy);
                DialogUiMouseDown(box.ui, dx, dy);
                redraw = true;
                break;
            case SDL_MOUSEMOTION:
                // Only a held button changes the picture: it pops out and back in.
                if (!(e.motion.state & SDL_BUTTON_LMASK)) break;
                WindowToDialog(e.motion.x, e.motion.y, w, h, &dx, &dy);
                DialogUiMouseMove(box.ui, dx, dy);
                redraw = true;
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button != SDL_BUTTON_LEFT) break;
                WindowToDialog(e.button.x, e.button.y, w, h, &dx, &dy);
                OwnBoxClicked(box, DialogUiMouseUp(box.ui, dx, dy));
                redraw = true;
                break;
            default:
                if (Translate(e, &msg)) OwnBoxTakes(box, msg, earlier);
                break;
            }
        } while (!box.answered && SDL_PollEvent(&e));
    }
    ScreenShowBox(nullptr, 0, 0);
    CloseOwnBox(box);
    // During play the pointer was hidden: it goes away again with the box.
    if (CursorHidden) SDL_ShowCursor(SDL_DISABLE);
    return IDOK;
}

void OutputDebugStringA(const char* text) {
    if (text) std::fputs(text, stderr);
}

// --- the modal dialog ---

namespace {
DialogAnswer Ahead; // from the command line
} // namespace

void AnswerDialogAhead(const DialogAnswer& answer) { Ahead = answer; }

namespace {

// The dialog as the recorded player answered it, each click shown on its control, each at its
// recorded moment.
INT_PTR DemoDialog(const DialogTemplate* dialogTemplate, DLGPROC proc, LPARAM param) {
    int outW = 0, outH = 0;
    ScreenOutputSize(&outW, &outH);
    DialogUi* ui = DialogUiCreate(dialogTemplate, DialogScale(outH));
    if (!ui) return -1;
    const int w = DialogUiWidth(ui), h = DialogUiHeight(ui);
    std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
    auto show = [&] {
        DialogUiDraw(ui, pixels.data(), w, h, w, 0, 0);
        ScreenShowPicture(pixels.data(), w, h);
    };
    if (BeginModalDialog(proc, param)) {
        show();
        DemoAnswerDialog([&](int id) {
            DialogUiPressControl(ui, id);
            SendDialogCommand(id);
            show();
        });
    }
    DialogUiDestroy(ui);
    std::fill(pixels.begin(), pixels.end(), 0u);
    ScreenShowPicture(pixels.data(), w, h);
    StopBeep();
    return FinishModalDialog();
}

} // namespace

INT_PTR DialogBoxParamA(HINSTANCE, const DialogTemplate* dialogTemplate, HWND owner, DLGPROC proc,
                        LPARAM param) {
    if (!dialogTemplate || !proc || !owner || owner != TheWindow) return -1;
    if (DemoPlaying()) return DemoDialog(dialogTemplate, proc, param);
    const int box = Ahead.tickCheckBox ? DialogCheckBox(dialogTemplate) : -1;
    if (int button = DialogButtonLabelled(dialogTemplate, Ahead.button); button != -1) {
        // Answered ahead: the procedure hears the clicks, the player sees (and hears) nothing.
        StopBeep();
        if (!BeginModalDialog(proc, param)) return -1;
        if (box != -1) SendDialogCommand(box);
        SendDialogCommand(button);
        return FinishModalDialog();
    }
    int outW = 0, outH = 0;
    ScreenOutputSize(&outW, &outH);
    // The dialog is small in pixels; on big monitors it is drawn at twice the size or more.
    DialogUi* ui = DialogUiCreate(dialogTemplate, DialogScale(outH));
    if (!ui) return -1;
    int w = DialogUiWidth(ui), h = DialogUiHeight(ui);
    std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
    SDL_ShowCursor(SDL_ENABLE);
    auto send = [&](DialogAction a) {
        if (a.command) SendDialogCommand(a.controlId);
    };
    // The window procedure runs inside this loop as inside any other: switching away while the
    // dialog is open reaches it, so the game starts paused.
    auto activation = [&](WPARAM active) {
        RecordActivation(active);
        TheWindow->proc(TheWindow, WM_ACTIVATEAPP, active, 0);
    };
    if (!BeginModalDialog(proc, param)) {
        DialogUiDestroy(ui);
        return -1;
    }
    send(DialogUiClick(ui, box));
    while (!ModalDialogEnded()) {
        EndIfSignalled();
        DialogUiDraw(ui, pixels.data(), w, h, w, 0, 0);
        ScreenShowPicture(pixels.data(), w, h);
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        do {
            int dx = 0, dy = 0;
            switch (e.type) {
            case SDL_QUIT:
                send({true, IDCANCEL});
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) send({true, IDCANCEL});
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) activation(0);
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) activation(1);
                // The loop draws the dialog again after these events; all of it then.
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                    e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                    ScreenExposed();
                if (e.window.event == SDL_WINDOWEVENT_MOVED ||
                    e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED)
                    ScreenReadRefresh(Sdl);
                break;
            case SDL_AUDIODEVICEREMOVED:
                if (!e.adevice.iscapture) SoundDeviceRemoved(e.adevice.which);
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT) {
                    WindowToDialog(e.button.x, e.button.y, w, h, &dx, &dy);
                    DialogUiMouseDown(ui, dx, dy);
                }
                break;
            case SDL_MOUSEMOTION:
                WindowToDialog(e.motion.x, e.motion.y, w, h, &dx, &dy);
                DialogUiMouseMove(ui, dx, dy);
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_LEFT) {
                    WindowToDialog(e.button.x, e.button.y, w, h, &dx, &dy);
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

void BackendFrameStepBegins() {}
void BackendFrameStepEnded() {}
