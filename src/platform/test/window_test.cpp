// window_test.cpp -- the window, messages, dialog and message boxes of the test platform
//
// The dialog is drawn onto the virtual desktop exactly as the real window draws it, and then
// answered with the clicks a player would make: the check box when asked, then the button of
// the chosen label, both found in the template by what they are; or Escape for Abort.
#include <algorithm>
#include <string>

#include "platform/emulation/backend.h"
#include "platform/emulation/dialog_ui.h"
#include "platform/emulation/message_box.h"
#include "platform/recording/recorder.h"
#include "platform/emulation/signals.h"
#include "platform/api/window.h"
#include "test_state.h"

HWND BackendOpenWindow(WNDPROC proc, const char*, DWORD) {
    TestRun& r = Run();
    if (r.options.failure.step == TestFailure::Window) return nullptr;
    return r.window = new Window{proc};
}

void BackendCloseWindow(HWND window) {
    delete window;
    Run().window = nullptr;
}

int GetSystemMetrics(int index) {
    const TestOptions& o = Run().options;
    return index == SM_CXSCREEN ? o.desktopWidth : index == SM_CYSCREEN ? o.desktopHeight : 0;
}

BOOL MessageBeep(UINT) { return 1; }
int ShowCursor(BOOL show) {
    BackendCall(show ? "ShowCursor 1" : "ShowCursor 0");
    return show ? 0 : -1;
}

bool BackendNextMessage(MSG*) { return false; }

HWND BackendWindow() { return Run().window; }

void BackendQuitPosted(int exitCode) {
    TestEvent e;
    e.kind = "quit";
    e.code = exitCode;
    TestRecord(e);
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT) {
    BackendCall("MessageBoxA");
    TestEvent e;
    e.kind = "message_box";
    e.caption = caption ? caption : "";
    e.text = text ? text : "";
    TestRecord(e);
    RecordedBox recorded(caption, text);
    TestRun& r = Run();
    // Drawn over the screen as the real window draws it (a picture taken meanwhile shows it), and
    // freed on every way out, the end of a run thrown out of its loop included.
    struct Holder {
        OwnBox box;
        ~Holder() {
            Run().box.clear();
            CloseOwnBox(box);
        }
    } holder{owner && owner == r.window ? OpenOwnBox(caption, text, 1) : OwnBox{}};
    OwnBox& box = holder.box;
    if (box.ui) {
        r.boxWidth = DialogUiWidth(box.ui);
        r.boxHeight = DialogUiHeight(box.ui);
        r.box.assign(std::size_t(r.boxWidth) * std::size_t(r.boxHeight), 0);
        DialogUiDraw(box.ui, r.box.data(), r.boxWidth, r.boxHeight, r.boxWidth, 0, 0);
    }
    if (DemoPlaying()) {
        DemoMessageBox(caption, text);
        return IDOK;
    }
    if (!box.ui) return IDOK;
    // The player reads the box and presses Return, unless the script answers it sooner; what the
    // script does meanwhile happens while the box is up.
    const std::int64_t answer = r.now + BoxReadingNs;
    int early = PostedCount();
    while (!box.answered) {
        Advance(BoxPollNs);
        EndIfSignalled();
        MSG m{};
        while (!box.answered && TakePosted(&m))
            OwnBoxTakes(box, m, early-- > 0);
        if (r.now >= answer) box.answered = true;
    }
    return IDOK;
}

void OutputDebugStringA(const char*) {}

INT_PTR DialogBoxParamA(HINSTANCE, const DialogTemplate* dialogTemplate, HWND owner, DLGPROC proc,
                        LPARAM param) {
    BackendCall("DialogBoxParamA");
    TestRun& r = Run();
    if (!dialogTemplate || !proc || !owner || owner != r.window) return -1;
    DialogUi* ui = DialogUiCreate(dialogTemplate, 1);
    if (!ui) return -1;
    // A run may end inside the dialog (the end of the run is thrown out of a wait): what the
    // dialog holds is freed on that way out too.
    struct Holder {
        DialogUi* ui;
        bool open = false;
        ~Holder() {
            DialogUiDestroy(ui);
            if (open) FinishModalDialog();
        }
    } holder{ui};
    const TestOptions& o = r.options;
    int left = (o.desktopWidth - DialogUiWidth(ui)) / 2;
    int top = (o.desktopHeight - DialogUiHeight(ui)) / 2;
    auto show = [&] {
        DialogUiDraw(ui, r.desktop.data(), o.desktopWidth, o.desktopHeight, o.desktopWidth, left,
                     top);
    };
    // The dialog's loop passes what the desktop posts meanwhile on, as the real one does: a
    // focus change reaches the window procedure, the window's closing cancels the dialog.
    auto pump = [&] {
        EndIfSignalled();
        MSG m{};
        while (!ModalDialogEnded() && TakePosted(&m)) {
            if (m.message == WM_CLOSE)
                SendDialogCommand(IDCANCEL);
            else if (m.message == WM_ACTIVATEAPP && r.window) {
                RecordActivation(m.wParam);
                r.window->proc(r.window, m.message, m.wParam, m.lParam);
            }
        }
    };
    auto send = [&](DialogAction a) {
        if (a.command) SendDialogCommand(a.controlId);
        show();
        Advance(PollQuantumNs);
        pump();
    };
    auto click = [&](int id) {
        int x = 0, y = 0;
        if (!DialogUiControlCentre(ui, id, &x, &y)) return;
        DialogUiMouseDown(ui, x, y);
        send(DialogUiMouseUp(ui, x, y));
    };
    if (!BeginModalDialog(proc, param)) return -1;
    holder.open = true;
    show();
    Advance(PollQuantumNs);
    pump();
    if (DemoPlaying()) {
        // The recorded player's clicks, made on their controls for the picture's sake.
        DemoAnswerDialog([&](int id) {
            DialogUiPressControl(ui, id);
            SendDialogCommand(id);
            show();
        });
    } else if (o.abort) {
        send(DialogUiKey(ui, DialogKeyEscape));
    } else {
        if (o.dialog.tickCheckBox) click(DialogCheckBox(dialogTemplate));
        click(DialogButtonLabelled(dialogTemplate, o.dialog.button));
    }
    std::fill(r.desktop.begin(), r.desktop.end(), 0u);
    // A dialog nobody ended counts as the dialog failing.
    holder.open = false;
    return FinishModalDialog();
}
