// window.h -- the game window, its messages, the modal dialog, message boxes and the cursor
//
// One window fills the desktop. Its window procedure receives the few messages the game
// cares about: activation changes (the player switched away or back), system keys, the
// close request and the destruction. Messages are taken without waiting by PeekMessageA;
// nothing here ever blocks except the modal dialog and message boxes.
#pragma once

#include <string>

#include "wintypes.h"

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;

constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_TASKLIST = 0xF130;

constexpr UINT BN_CLICKED = 0;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT MB_OK = 0x0000;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;

constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return WPARAM(lo) | (WPARAM(hi) << 16); }

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Stock resources the window class asks for. They only mark intent here: the desktop draws
// its own arrow, and the window is black because the platform fills it black.
enum StockResource { IDI_APPLICATION = 32512, IDC_ARROW = 32512, BLACK_BRUSH = 4 };

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    int hIcon;
    int hCursor;
    int hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
    int hIconSm;
};

// Registers the one window class. Returns nonzero on success, 0 on failure.
WORD RegisterClassExA(const WNDCLASSEXA* wc);
// Creates the window of a registered class (it is shown at once when WS_VISIBLE is given;
// the desktop-sized pop-up becomes a borderless window over the whole desktop). Sends
// WM_CREATE. Returns null on failure.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                     int y, int width, int height, HWND parent, void* menu, HINSTANCE instance,
                     void* param);
// Sends WM_DESTROY to the window procedure, then the window is gone. Returns 1, or 0 when
// the window does not exist.
BOOL DestroyWindow(HWND window);
int GetSystemMetrics(int index);
int LoadIconA(HINSTANCE, int id);
int LoadCursorA(HINSTANCE, int id);
int GetStockObject(int id);
BOOL MessageBeep(UINT type);
int ShowCursor(BOOL show);

// Takes the next message for the thread without waiting. Returns 1 and fills msg when one was
// waiting, 0 when none was.
BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
// What the desktop does with a message the game leaves alone: a close request destroys the
// window; everything else is ignored.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Shows a modal message box owned by the window (single OK button) and returns IDOK when the
// player has dismissed it. Without a display the caption and text go to standard error.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
// Writes a line for developers (standard error); the player never sees it.
void OutputDebugStringA(const char* text);

// A dialog template: the few things the start-up dialog is made of, in dialog units.
enum DialogControlKind {
    DlgDefPushButton,
    DlgPushButton,
    DlgStaticText,
    DlgAutoCheckBox,
    DlgStaticBitmap
};
struct DialogControl {
    int id; // -1 for controls without an identifier
    DialogControlKind kind;
    int x, y, cx, cy;
    const char* text;
    bool tabStop;
    const unsigned char* bitmap; // DlgStaticBitmap: the picture's BMP file bytes
    std::size_t bitmapSize;
};
struct DialogTemplate {
    const char* caption;
    int cx, cy;
    const DialogControl* controls;
    int controlCount;
};

// Runs the dialog modally, centred on the owner. The dialog procedure receives WM_INITDIALOG,
// then WM_COMMAND with the control's identifier in the low word (BN_CLICKED in the high word)
// whenever a button or check box is clicked; Escape and the close box send IDCANCEL. Returns
// the value given to EndDialog, or -1 when the dialog could not be shown.
INT_PTR DialogBoxParamA(HINSTANCE instance, const DialogTemplate* dialogTemplate, HWND owner,
                        DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);

// Choices made before the dialog shows (skirmo --mode, --no-sound), as the clicks that make them:
// the push button to press, by its label ("800x600"), and whether to tick the check box first.
struct DialogAnswer {
    std::string button; // empty: the player chooses
    bool tickCheckBox = false;
};
// The real desktop's dialogs from now on. With a button the template has, DialogBoxParamA shows
// nothing: it sends the procedure the commands those clicks would (the check box, then the
// button). Otherwise the dialog shows as always, its check box already ticked when asked, by the
// same command. (The test platform answers from its options, drawing and clicking.)
void AnswerDialogAhead(const DialogAnswer& answer);

// The main loop marks where each frame step begins and ends. The real platform has no use for
// it; the test platform takes its state snapshots there.
void FrameStepBegins();
void FrameStepEnds();
