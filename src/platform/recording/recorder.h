// recorder.h -- where the platform hands what the game read to the recording (platform-internal)
//
// Each backend calls these where it answers the game; while nothing is recorded they cost a test
// of one pointer. Those that take an answer give it back, so that a call can wrap the answer.
#pragma once

#include <cstdint>
#include <string>

#include "platform/api/window.h"

// Opens the recording (each backend's StartRecording): its counter's counts per second, and the
// clock that stamps the rarer events in the same counts.
bool OpenRecording(const std::string& path, const std::string& note, std::int64_t frequency,
                   std::int64_t (*clock)(), std::string& why);
bool Recording();

std::int64_t RecordCalendar(std::int64_t time);
void RecordFrequency(bool answer, std::int64_t frequency);
std::int64_t RecordCounter(std::int64_t reading);
short RecordKey(int key, short answer);
BOOL RecordMessage(const MSG* msg, BOOL found);
void RecordWindowMade();
void RecordDialogCommand(int control);
// An activation sent straight to the window procedure by a modal loop (the dialog's, a box's);
// recorded before it is sent, as what it sets off (music commands) reads the machine too.
void RecordActivation(WPARAM wParam);
bool RecordSoundOutput(bool opened, const std::string& why);
DWORD RecordMusic(DWORD answer);
bool RecordDisplayMode(bool shown);
// A new frame went up (Flip), and whether one did since the last ask.
void NoteFlip();
bool TakeFlip();
// The end of a frame step: when it showed a new frame, the picture and the game's state, as
// checksums. (The pause spins through frame steps a thousand times a second showing nothing new.)
void RecordFrameStep();
// A message box, from its showing (made) to its answer (gone).
struct RecordedBox {
    RecordedBox(const char* caption, const char* text);
    ~RecordedBox();
    RecordedBox(const RecordedBox&) = delete;
    RecordedBox& operator=(const RecordedBox&) = delete;
};
// The process ends by this signal now (0: the window's close): the recording gets its ending.
void EndRecordingBySignal(int signal);

// The game's state as the program describes it ("" when it gave no way), and its checksum: what
// the recorder keeps and the demo compares.
std::string DescribedGameState();
std::uint32_t GameStateChecksum();
