// signals.cpp -- noting SIGTERM and SIGINT for the platform's polls
#include "signals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t Noted = 0;
bool Watching = false;
struct sigaction Before[2];
constexpr int Watched[2] = {SIGTERM, SIGINT};

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
    for (int i = 0; i < 2; ++i) {
        sigaction(Watched[i], nullptr, &Before[i]);
        // A program started in the background of a script ignores Ctrl+C, and so do we then.
        if (Before[i].sa_handler != SIG_IGN) sigaction(Watched[i], &note, nullptr);
    }
    Watching = true;
}

void ForgetEndSignals() {
    if (Watching)
        for (int i = 0; i < 2; ++i)
            sigaction(Watched[i], &Before[i], nullptr);
    Watching = false;
    Noted = 0;
}

int NotedEndSignal() { return Noted; }

void EndIfSignalled() {
    if (Noted) BackendEndBySignal(Noted);
}
