// startup.cpp -- the program's entry, its window and the start-up dialog
//
// Start-up runs in a fixed order: window, dialog, sound, display, clock, title music, the
// story and keys pages, loading; then the message loop runs one frame step whenever no message
// waits and the game is in front. Every wait of the game spins inside a frame step, so messages
// are only ever handled between frames.
#include "app/startup.h"

#include <string>

#include "core/exit_status.h"
#include "app/frame_step.h"
#include "core/game_clock.h"
#include "app/game_flow.h"
#include "core/game_globals.h"
#include "app/text_screens.h"
#include "core/texts.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "combat/shots.h"
#include "display/display.h"
#include "platform/api/input.h"
#include "core/program.h"

std::int32_t LastActivation = 1;

static const GlobalsReset Reset(LastActivation);

// The title picture is compiled in from startup_title.bmp (see CMakeLists.txt).
extern const unsigned char StartupTitleBitmap[];
extern const std::size_t StartupTitleBitmapSize;

namespace {

constexpr int IdMode640 = 1000;
constexpr int IdMode800 = 1001;
constexpr int IdNoSound = 1003;

const DialogControl StartupControls[] = {
    {IdMode640, DlgDefPushButton, 24, 165, 49, 14, "640x480", true, nullptr, 0},
    {IdMode800, DlgPushButton, 111, 165, 49, 14, "800x600", true, nullptr, 0},
    {IDCANCEL, DlgPushButton, 198, 165, 49, 14, "Abort", true, nullptr, 0},
    {-1, DlgStaticText, 6, 86, 260, 17, NoticeLines[0], false, nullptr, 0},
    {-1, DlgStaticText, 6, 104, 260, 18, NoticeLines[1], false, nullptr, 0},
    {-1, DlgStaticText, 6, 124, 260, 21, NoticeLines[2], false, nullptr, 0},
    {IdNoSound, DlgAutoCheckBox, 6, 145, 260, 14, "Check this if you don't have a sound card", true,
     nullptr, 0},
    {-1, DlgStaticBitmap, 57, 7, 0, 0, nullptr, false, StartupTitleBitmap, StartupTitleBitmapSize},
};

void ChooseMode(int width, int height) {
    ScreenWidth = width;
    ScreenHeight = height;
    HalfScreenWidth = width / 2;
    HalfScreenHeight = height / 2;
}

// The player came back to the game or left it.
void ActivationChanged(int active) {
    if (active == 0) {
        StopMusic();
        AppActive = 0;
        Paused = 1;
    } else if (active != LastActivation) {
        // Both act only because AppActive is still 0 here.
        RestoreLostSurfaces();
        ReloadSurfaceBitmaps();
        AppActive = 1;
        PlayMusicFromStart();
    }
    LastActivation = active;
}

} // namespace

const DialogTemplate StartupDialog = {"Velmora 0.02", 273, 186, StartupControls,
                                      int(sizeof StartupControls / sizeof StartupControls[0])};

INT_PTR StartupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return 1;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IdMode640:
            ChooseMode(640, 480);
            EndDialog(dialog, 1);
            return 1;
        case IdMode800:
            ChooseMode(800, 600);
            EndDialog(dialog, 1);
            return 1;
        case IdNoSound:
            // The box's state is never read back: each click flips the flag, so a ticked box
            // when the dialog ends means no sound.
            SoundEnabled = 1 - SoundEnabled;
            return 0;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return 0;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        CloseMusic();
        ReleaseSound();
        ReleaseDisplay();
        ClearShots();
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATEAPP:
        ActivationChanged(int(LOWORD(wParam)));
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSKEYDOWN:
        // Alt+Enter and Alt+Escape would fight the game for the screen.
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_TASKLIST) return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WinMain(HINSTANCE instance, HINSTANCE, char*, int) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | CS_OWNDC;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = "WINDOW_CLASS";
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    if (!RegisterClassExA(&wc)) return ExitNoWindow;

    HWND window =
        CreateWindowExA(WS_EX_TOPMOST, "WINDOW_CLASS", "Quib's directx tasklist marque",
                        WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                        GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (!window) return ExitNoWindow;

    MessageBeep(0);
    if (DialogBoxParamA(instance, &StartupDialog, window, StartupDialogProc, 0) == 0) {
        DestroyWindow(window);
        return 0;
    }
    ShowCursor(0);
    MainWindow = window;

    if (!InitSound()) {
        DestroyWindow(window);
        return ExitNoSound;
    }
    if (!InitDisplay()) {
        DestroyWindow(window);
        return ExitNoDisplay;
    }
    if (!InitGameClock()) {
        std::string text = std::string("Please notify ") + SupportAddress +
                           " that Quib the dawdler did a poor job trying to install his timer!";
        MessageBoxA(MainWindow, text.c_str(), "Timer installation error!", MB_OK);
        return ExitNoClock;
    }
    PreviousGameClock = float(ReadGameClock());

    OpenMusic(TitleMusicPiece);
    PlayMusicFromStart();
    ShowTextScreen(StoryScreen);
    ShowTextScreen(KeysScreen);
    LoadGame();

    MSG msg{};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (AppActive == 1) {
            FrameStepBegins();
            FrameStep();
            FrameStepEnds();
        }
    }
    // The quit message says 0 on every way out; a failure that posted it was noted.
    return msg.wParam != 0 ? int(msg.wParam) : EndingFailure;
}
