// signals.cpp -- noting SIGTERM, SIGINT and SIGHUP, and a close left waiting, for the platform's
// polls
#include "signals.h"

#include <csignal>

namespace {

constexpr int Watched[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int WatchedCount = int(sizeof Watched / sizeof Watched[0]);
volatile std::sig_atomic_t Noted = 0;
bool Watching = false;
struct sigaction Before[WatchedCount];
std::int64_t CloseSeenNs = -1; // when a close was first seen waiting unread, or -1

extern "C" void NoteEndSignal(int signal) {
    if (!Noted) Noted = signal;
    BackendSignalNoted();
}

} // namespace

void WatchEndSignals() {
    if (Watching) return;
    struct sigaction note {};
    note.sa_handler = NoteEndSignal;
    sigemptyset(&note.sa_mask);
    note.sa_flags = SA_RESTART;
    for (int i = 0; i < WatchedCount; ++i) {
        sigaction(Watched[i], nullptr, &Before[i]);
        // A program started in the background of a script ignores Ctrl+C, and one started with
        // nohup ignores the terminal's end: so do we then.
        if (Before[i].sa_handler != SIG_IGN) sigaction(Watched[i], &note, nullptr);
    }
    Watching = true;
}

void ForgetEndSignals() {
    if (Watching)
        for (int i = 0; i < WatchedCount; ++i)
            sigaction(Watched[i], &Before[i], nullptr);
    Watching = false;
    Noted = 0;
    CloseSeenNs = -1;
}

int NotedEndSignal() { return Noted; }

const char* EndSignalName(int signal) {
    return signal == SIGINT ? "SIGINT" : signal == SIGHUP ? "SIGHUP" : "SIGTERM";
}

void EndIfSignalled() {
    if (Noted) BackendEndBySignal(Noted);
}

void NoteMessagePoll() { CloseSeenNs = -1; }

void EndIfCloseWaits(bool closeWaiting, std::int64_t nowNs) {
    if (!closeWaiting)
        CloseSeenNs = -1;
    else if (CloseSeenNs < 0)
        CloseSeenNs = nowNs;
    else if (nowNs - CloseSeenNs >= CloseWaitNs)
        BackendEndBySignal(0);
}
