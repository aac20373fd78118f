// demo_player.h -- a recorded game's answers given to the game, on either backend
// (platform-internal)
//
// While a demo plays, every answer the recording holds comes from it instead of the machine's:
// the clock's readings, the keys, the messages, the dialog's answers and so on. Each backend asks
// here where it would ask the machine. The recorded time moves only with a reading or an
// event's stamp, and the backend is told each new moment (BackendDemoAt): the test platform puts
// its virtual clock there, the desktop waits for it in real time. With every frame shown (at the
// end of its frame step) the picture and the game's state are compared with the recorded game's.
// A game that asks for something else than the recorded one did, or shows or holds something
// else, ends the demo (BackendDemoStops "not as recorded", status 3, with what differed); so does
// a recording that runs out before its ending ("recording ran out"), and one whose game would
// stand still longer than any real game can ("recording stands still").
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "recording_format.h"
#include "platform/api/window.h"

// Reads the recording in the file at path whole. False, with why (naming the file), for anything
// that is not a regular file holding a whole recording of this format, or one of more than 256 MiB
// (a minute takes about 60 KB): a pipe or a device is never opened, so nothing can block here.
bool ReadRecordingFile(const std::string& path, RecordedGame& game, std::string& why);
// The warning a program prints before it plays a recording that has no ending (its recorder
// was killed, or the disk filled): "" when it has one.
std::string NoEndingWarning(const std::string& path, const RecordedGame& game);
// Plays this game from here on (the recording is taken, not copied: it may be large), before the
// program starts.
void PlayDemo(RecordedGame&& game);
// Forgets the demo (a new test run).
void StopDemo();
bool DemoPlaying();
// After the program ended by itself: "" when it ended as the recorded one did (every answer
// taken, the same status, the same state), else what differed. "" too when no demo plays.
std::string DemoEnded(int status);

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

// What each backend does for the demo. The recorded game has reached this moment, in
// nanoseconds since its recording began.
void BackendDemoAt(std::int64_t ns);
// The demo ends here (why, status and what happened, as above; detail is empty when the recorded
// game ended here by a signal): the run stops, or the program ends with status.
[[noreturn]] void BackendDemoStops(const std::string& why, int status, const std::string& detail);
