// message_queue.cpp -- the thread's message queue, the window class and the desktop's default
// handling, the same on the real and the test platform
#include "message_queue.h"

#include "backend.h"
#include "platform/api/input.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"
#include "signals.h"

#include <deque>
#include <string>

namespace {

WNDPROC ClassProc = nullptr;
std::string ClassName;
std::deque<MSG> Posted;
bool QuitPosted = false;
int QuitCode = 0;

Window DialogWindow;
HWND OpenDialog = nullptr;
DLGPROC DialogProc = nullptr;
bool DialogEnded = false;
INT_PTR DialogResult = -1;

} // namespace

WNDPROC RegisteredWindowProc(const char* className) {
    return className && ClassProc && ClassName == className ? ClassProc : nullptr;
}

void QueuePosted(const MSG& msg) { Posted.push_back(msg); }

bool TakePosted(MSG* msg) {
    if (Posted.empty()) return false;
    *msg = Posted.front();
    Posted.pop_front();
    return true;
}

int PostedCount() { return int(Posted.size()); }

bool IsCloseRequest(const MSG& msg) {
    return msg.message == WM_CLOSE || (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4);
}

bool ClosePosted() {
    for (const MSG& msg : Posted)
        if (IsCloseRequest(msg)) return true;
    return false;
}

bool TakeQuit(MSG* msg) {
    if (!QuitPosted) return false;
    QuitPosted = false;
    *msg = MSG{nullptr, WM_QUIT, WPARAM(QuitCode), 0};
    return true;
}

HWND CreateWindowExA(DWORD, const char* className, const char* title, DWORD style, int, int, int,
                     int, HWND, void*, HINSTANCE, void*) {
    BackendCall("CreateWindowExA");
    WNDPROC proc = RegisteredWindowProc(className);
    if (!proc || BackendWindow()) return nullptr;
    if (DemoPlaying() && !DemoWindowMade()) return nullptr;
    HWND window = BackendOpenWindow(proc, title ? title : "", style);
    if (!window) return nullptr;
    // From here on a signal ends the program the clean way: there is a window to take down.
    WatchEndSignals();
    RecordWindowMade();
    window->proc(window, WM_CREATE, 0, 0);
    return window;
}

BOOL DestroyWindow(HWND window) {
    BackendCall("DestroyWindow");
    if (!window || window != BackendWindow()) return 0;
    window->proc(window, WM_DESTROY, 0, 0);
    BackendCloseWindow(window);
    ForgetEndSignals();
    return 1;
}

// The game's message loop polls here every frame: a signal ends the program here too, and a
// close read here is the game's to handle. Recorded, and given back by a demo, as the keys are.
BOOL PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT) {
    if (!msg) return 0;
    BackendPoll(Poll::Messages);
    EndIfSignalled();
    NoteMessagePoll();
    if (DemoPlaying()) return DemoMessage(msg);
    return RecordMessage(msg, TakePosted(msg) || BackendNextMessage(msg) || TakeQuit(msg));
}

void ClearMessages() {
    Posted.clear();
    QuitPosted = false;
    QuitCode = 0;
    // A dialog left open by a run that ended inside it.
    OpenDialog = nullptr;
    DialogProc = nullptr;
    DialogEnded = false;
    DialogResult = -1;
}

WORD RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName) return 0;
    ClassProc = wc->lpfnWndProc;
    ClassName = wc->lpszClassName;
    return 1;
}

int LoadIconA(HINSTANCE, int id) { return id; }
int LoadCursorA(HINSTANCE, int id) { return id; }
int GetStockObject(int id) { return id; }
BOOL TranslateMessage(const MSG*) { return 0; }

LRESULT DispatchMessageA(const MSG* msg) {
    HWND window = BackendWindow();
    if (!msg || !msg->hwnd || msg->hwnd != window) return 0;
    return window->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM) {
    // What the game leaves to the desktop, for the tests that pin what it must not leave.
    if (message == WM_SYSKEYDOWN)
        BackendCall(("DefWindowProcA system key " + std::to_string(wParam)).c_str());
    if (message == WM_SYSCOMMAND)
        BackendCall(("DefWindowProcA system command " + std::to_string(wParam)).c_str());
    // A close request, from the desktop or from Alt+F4, destroys the window; the rest is ignored.
    if (message == WM_CLOSE || (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) ||
        (message == WM_SYSKEYDOWN && wParam == VK_F4))
        DestroyWindow(window);
    return 0;
}

void PostQuitMessage(int exitCode) {
    BackendCall("PostQuitMessage");
    QuitPosted = true;
    QuitCode = exitCode;
    BackendQuitPosted(exitCode);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUIT)
        PostQuitMessage(int(wParam));
    else
        QueuePosted(MSG{window, message, wParam, lParam});
    return 1;
}

HWND BeginModalDialog(DLGPROC proc, LPARAM param) {
    if (OpenDialog || !proc) return nullptr;
    OpenDialog = &DialogWindow;
    DialogProc = proc;
    DialogEnded = false;
    DialogResult = -1;
    proc(OpenDialog, WM_INITDIALOG, 0, param);
    return OpenDialog;
}

bool ModalDialogEnded() { return DialogEnded; }

void SendDialogCommand(int controlId) {
    if (!OpenDialog || DialogEnded) return;
    RecordDialogCommand(controlId);
    DialogProc(OpenDialog, WM_COMMAND, MAKEWPARAM(WORD(controlId), BN_CLICKED), 0);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    if (!dialog || dialog != OpenDialog) return 0;
    DialogEnded = true;
    DialogResult = result;
    return 1;
}

INT_PTR FinishModalDialog() {
    OpenDialog = nullptr;
    DialogProc = nullptr;
    return DialogEnded ? DialogResult : -1;
}
