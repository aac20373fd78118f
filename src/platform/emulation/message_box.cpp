// message_box.cpp -- what the game's message box does with the desktop's messages
#include "message_box.h"

#include "platform/api/input.h"
#include "message_queue.h"
#include "platform/recording/recorder.h"

OwnBox OpenOwnBox(const char* caption, const char* text, int scale) {
    OwnBox box;
    box.ui = DialogUiCreateMessageBox(caption, text, scale);
    return box;
}

void OwnBoxClicked(OwnBox& box, DialogAction action) {
    if (action.command) box.answered = true;
}

void OwnBoxTakes(OwnBox& box, const MSG& msg, bool early) {
    if (early && msg.message != WM_ACTIVATEAPP) {
        box.held.push_back(msg);
        return;
    }
    switch (msg.message) {
    case WM_KEYDOWN:
        if (msg.wParam == VK_RETURN)
            OwnBoxClicked(box, DialogUiKey(box.ui, DialogKeyEnter));
        else if (msg.wParam == VK_SPACE)
            OwnBoxClicked(box, DialogUiKey(box.ui, DialogKeySpace));
        else if (msg.wParam == VK_ESCAPE)
            OwnBoxClicked(box, DialogUiKey(box.ui, DialogKeyEscape));
        break;
    case WM_SYSKEYDOWN:
        if (msg.wParam == VK_F4) box.answered = true;
        break;
    case WM_CLOSE:
        box.held.push_back(msg);
        box.answered = true;
        break;
    case WM_ACTIVATEAPP:
        RecordActivation(msg.wParam);
        DispatchMessageA(&msg);
        break;
    default:
        break;
    }
}

void CloseOwnBox(OwnBox& box) {
    DialogUiDestroy(box.ui);
    box.ui = nullptr;
    for (const MSG& msg : box.held)
        QueuePosted(msg);
    box.held.clear();
}
