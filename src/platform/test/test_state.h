// test_state.h -- what the test platform's files share (platform-internal)
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/recording/demo_player.h"
#include "platform/emulation/gamepad.h"
#include "platform/emulation/message_queue.h"
#include "test_platform.h"

struct TestRun {
    TestOptions options;
    std::int64_t now = 0; // virtual nanoseconds
    std::size_t nextScript = 0;
    std::size_t nextShot = 0;
    bool keys[256] = {};       // held by the script
    bool playerKeys[256] = {}; // held through TestSetKey
    PadInputs pad;             // held by the script
    Window* window = nullptr;
    std::vector<std::uint32_t> desktop; // the desktop picture before the display exists
    std::vector<TestEvent> events;
    std::function<void(std::int64_t, bool)> frameHook;
    std::function<void(std::int64_t)> keyboardHook;
    std::int64_t frameBegin = 0;
    bool inFrameStep = false;
    bool counterRead = false;                     // the clock's counter was read once
    std::function<bool(std::int64_t)> finishStep; // see TestFinishFrameStepsAtUntil
    bool stopAfterStep = false; // --until came inside a frame step that is to be finished
    std::vector<std::string> shotProblems;
    std::vector<std::uint32_t> box; // the message box on the screen, while it is up
    int boxWidth = 0, boxHeight = 0;
    bool tracing = false;
    std::vector<std::string> calls;
    std::function<void(const std::string&)> callHook;
    // The last few game files read whole, newest last, and the file each sound's samples were
    // found in (audio_test.cpp).
    std::deque<std::pair<std::string, std::vector<std::uint8_t>>> recentFiles;
    std::map<std::vector<std::uint8_t>, std::string> soundFiles;
};

TestRun& Run();

// Moves the virtual clock on by ns, then lets everything due by then happen: scripted keys and
// window events, pictures of the screen, and the end of the run. While a demo plays, only its
// clock's readings move the time: Advance lets what is due happen without moving it, and AdvanceTo
// moves it to a reading (never back).
void Advance(std::int64_t ns);
void AdvanceTo(std::int64_t ns);

// Presses or releases a key as the desktop does: the key is held, and a press posts the key's
// message to the window (a system key while Alt is held, Alt included).
void PressKey(bool* keys, int virtualKey, bool down);

// Cost of the operations the game waits with, in virtual nanoseconds.
constexpr std::int64_t PollQuantumNs = 1000;
constexpr std::int64_t TextLineNs = 200000;
// A message box waits a millisecond at a time, and the player answers it half a second after it
// came up.
constexpr std::int64_t BoxPollNs = 1000000;
constexpr std::int64_t BoxReadingNs = 500000000;
