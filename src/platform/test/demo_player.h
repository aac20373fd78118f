// demo_player.h -- a recorded game's answers given to the game on the test platform
// (platform-internal)
//
// While a demo plays, every answer the recording holds comes from it instead of the test
// platform's own: the clock's readings (which alone move the virtual time: polls, flips and text
// cost none), the keys, the messages, the dialog's answers and so on. With every frame shown (at
// the end of its frame step) the picture and the game's state are compared with the recorded
// game's. A game that asks
// for something else than the recorded one did, or shows or holds something else, ends the run
// (TestStop "not as recorded", status 3, with what differed); so does a recording that runs out
// before its ending ("recording ran out").
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "../recording_format.h"
#include "../window.h"

struct DemoPlay {
    bool on = false;
    RecordedGame game;
    std::size_t run = 0; // the clock's run being read, and how far
    std::int64_t readInRun = 0, reading = 0, readings = 0;
    std::size_t nextKey = 0;
    std::int64_t keyPolls = 0;
    bool held[256] = {};
    std::size_t nextMessage = 0;
    std::int64_t emptiesTaken = 0, messagePolls = 0;
    std::size_t nextEvent = 0;
    std::int64_t frames = 0;
};

bool DemoPlaying();
BOOL DemoFrequency(std::int64_t* frequency);
BOOL DemoCounter(std::int64_t* count);
std::int64_t DemoCalendar();
short DemoKey(int key);
BOOL DemoMessage(MSG* msg);
bool DemoWindowMade();
// The dialog's recorded commands, each given to command, and the activations that came while it
// was up, until it ends.
void DemoAnswerDialog(const std::function<void(int control)>& command);
// A box the game (or the platform) shows: its recorded activations, then its answer.
void DemoMessageBox(const char* caption, const char* text);
bool DemoSoundOutput(std::string& why);
// The music's recorded answer, after the boxes the platform showed on the way to it.
DWORD DemoMusic();
bool DemoDisplayMode();
void DemoFrameStepEnds();
