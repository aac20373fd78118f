// screenshot_writer.cpp -- F12's pictures written on a thread of their own (the desktop's)
//
// A page links its own in its place: it has no threads, and hands the file to the player as a
// download.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "screenshot.h"

namespace {

// Never destroyed, as the writer may be left behind at the exit, stalled in a folder that does
// not answer; the program may also end from anywhere.
std::mutex& Lock = *new std::mutex;
std::condition_variable& Wake = *new std::condition_variable;
std::condition_variable& Done = *new std::condition_variable;
std::deque<Shot>& Waiting = *new std::deque<Shot>;
bool Stopping = false, Finished = false;
std::thread* Writer = nullptr;
// A writer that stalls must not make each F12 meanwhile hold another picture for ever.
constexpr std::size_t MostWaiting = 4;
// How long the exit waits for the shots still to be written: several, on a slow machine.
constexpr auto FinishingTime = std::chrono::seconds(2);

void WriterLoop() {
    std::unique_lock<std::mutex> hold(Lock);
    for (;;) {
        Wake.wait(hold, [] { return Stopping || !Waiting.empty(); });
        if (Waiting.empty()) { // stopping, and nothing left
            Finished = true;
            Done.notify_all();
            return;
        }
        Shot shot = std::move(Waiting.front());
        Waiting.pop_front();
        hold.unlock();
        WriteShot(shot);
        hold.lock();
    }
}

} // namespace

void KeepShot(Shot shot) {
    std::lock_guard<std::mutex> hold(Lock);
    if (Waiting.size() >= MostWaiting) {
        std::fprintf(stderr, "skirmo: no screenshot: %zu are still waiting to be written\n",
                     Waiting.size());
        return;
    }
    if (!Writer) {
        Stopping = Finished = false;
        Writer = new std::thread(WriterLoop);
        // A return from main or an exit still finishes the shots taken.
        static bool registered = false;
        if (!registered) std::atexit(FinishScreenshots);
        registered = true;
    }
    Waiting.push_back(std::move(shot));
    Wake.notify_one();
}

void FinishScreenshots() {
    std::unique_lock<std::mutex> hold(Lock);
    std::thread* writer = std::exchange(Writer, nullptr);
    Stopping = true;
    Wake.notify_one();
    if (!writer) return;
    if (Done.wait_for(hold, FinishingTime, [] { return Finished; })) {
        hold.unlock();
        writer->join();
        delete writer;
        return;
    }
    // Stalled (a folder on a server that went away): the exit goes on without it.
    std::fprintf(stderr, "skirmo: %zu screenshots not written: their folder does not answer\n",
                 Waiting.size() + 1);
    Waiting.clear();
    writer->detach();
    delete writer;
}
