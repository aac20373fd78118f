// message_queue.h -- the thread's message queue and window class, shared by both platforms
// (platform-internal)
#pragma once

#include "platform/api/window.h"

// The one window: its procedure. Each backend keeps the rest of what it needs beside it.
struct Window {
    WNDPROC proc = nullptr;
};

// The registered class's window procedure for this class name, or null.
WNDPROC RegisteredWindowProc(const char* className);
// Messages posted to the thread (PostMessageA, and the test platform's scripted events).
void QueuePosted(const MSG& msg);
// Takes the oldest posted message; false when there is none.
bool TakePosted(MSG* msg);
// How many posted messages wait.
int PostedCount();
// Whether a close request waits among them: WM_CLOSE, or Alt+F4.
bool ClosePosted();
// Whether this message asks the window to close, as the desktop's default handling takes it.
bool IsCloseRequest(const MSG& msg);
// Takes the quit message once PostQuitMessage was called; false when it was not.
bool TakeQuit(MSG* msg);
// Forgets everything queued and any dialog left open (a new test run); the registered class
// stays, as a program registers it once.
void ClearMessages();

// The one modal dialog there can be. BeginModalDialog opens it and sends WM_INITDIALOG (null
// when one is open already); SendDialogCommand passes a click to its procedure unless it has
// ended; EndDialog ends it; FinishModalDialog closes it and gives EndDialog's value, or -1 when
// nothing ended it.
HWND BeginModalDialog(DLGPROC proc, LPARAM param);
bool ModalDialogEnded();
void SendDialogCommand(int controlId);
INT_PTR FinishModalDialog();

// What each backend supplies: its one window, and a note that the quit message was posted.
HWND BackendWindow();
void BackendQuitPosted(int exitCode);
// Makes the backend's one window for this procedure (visible when style holds WS_VISIBLE), or
// null when it cannot; BackendCloseWindow takes it down and frees it. The window's creation,
// recording and end signals around them are the same on every backend (message_queue.cpp).
HWND BackendOpenWindow(WNDPROC proc, const char* title, DWORD style);
void BackendCloseWindow(HWND window);
