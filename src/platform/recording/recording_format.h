// recording_format.h -- the file of a recorded game, written and read (platform-internal)
//
// A recording holds everything the game read from the machine, in the order it read it, in five
// streams: the clock's readings, the keys' changes, the message polls, the rarer events (the
// window, the calendar, the dialog's answers, message boxes, the sound output, the music's
// answers), and a checksum of the picture and of the game's state at the end of every frame
// step that showed a new frame. The streams go into the file in chunks as the game runs, each
// compressed on its own (zlib, whose checksum covers it), so that a crash loses at most the last
// few moments. docs/recording-format.md is the manual of the bytes; this header and its .cpp are
// the only code that knows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SurfaceMemory;

constexpr unsigned RecordingFormat = 1;
// The largest file read as a recording, whole: an hour of play takes a few MiB.
constexpr std::size_t LargestRecordingFile = std::size_t(256) << 20;

// The rarer things the game read. Each kind uses the fields its comment names.
enum class RecordedKind : std::uint8_t {
    WindowMade = 1, // the game's window was made (a recording without it: it was not)
    Calendar,       // value: the calendar time
    Frequency,      // flag: the answer; value: the counter's counts per second
    DialogCommand,  // value: the control; stamp
    Activation,     // value: the activation's wParam, sent straight to the window procedure by
                    // the dialog's or a message box's loop; stamp
    BoxShown,       // caption, text; stamp
    BoxAnswered,    // stamp
    SoundOutput,    // flag: it opened; text: why it did not
    Music,          // value: the backend's answer to a music command
    DisplayMode,    // flag: the display mode could be shown
};

struct RecordedEvent {
    RecordedKind kind = RecordedKind::WindowMade;
    bool flag = false;
    std::int64_t value = 0;
    std::int64_t stamp = 0; // the counter when it happened
    std::string caption, text;
};

// What message polls found: emptyBefore polls with no message, then this one's message (when
// found; a chunk may end on empty polls).
struct RecordedMessage {
    std::int64_t emptyBefore = 0;
    bool found = false;
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
    bool toWindow = false; // addressed to the game's window (else to none, as the quit message)
    std::int64_t stamp = 0;
};

// At key poll number poll (counted from 0) the key's answer became held or let go.
struct KeyChange {
    std::int64_t poll = 0;
    int key = 0;
    bool held = false;
    std::int64_t stamp = 0;
};

// count readings in a row, each delta counts after the one before (the first after 0).
struct ClockRun {
    std::int64_t delta = 0;
    std::int64_t count = 0;
};

// The end of a frame step that showed a new frame (flipped): what the screen showed and what the
// game's state was. A frame step that shows none (paused, waiting out a held key) changes
// nothing that the next frame would not show.
struct FrameCheck {
    std::uint32_t picture = 0;
    std::uint32_t state = 0;
    bool operator==(const FrameCheck&) const = default;
};

struct RecordingTotals {
    std::int64_t clockReadings = 0, keyPolls = 0, messagePolls = 0, frames = 0;
};

// How the program ended: its exit status, the signal that ended it (or 0), and the game's state
// as the program described it then.
struct RecordingEnding {
    int status = 0;
    int signal = 0;
    std::string state;
};

struct RecordedGame {
    std::int64_t frequency = 0; // the counter's counts per second: readings and stamps
    std::string note;           // what made the recording ("skirmo 1.0.0")
    std::vector<ClockRun> clock;
    std::vector<KeyChange> keys;
    std::vector<RecordedMessage> messages;
    std::vector<RecordedEvent> events;
    std::vector<FrameCheck> checks;
    RecordingTotals totals;
    bool ended = false; // the last chunk came: the program ended as ending says
    RecordingEnding ending;
    std::int64_t cutAt = -1; // where the file ends in part of a chunk (-1: it does not)
};

// Collects a recording's streams in memory and hands them out as chunks. Entries go in in the
// order the game read them.
class RecordingWriter {
  public:
    void Clock(std::int64_t reading);
    void Readings(const ClockRun& run);       // run.count readings at once
    void KeyChanged(const KeyChange& change); // polls in increasing order
    void Message(const RecordedMessage& message);
    void Event(const RecordedEvent& event);
    void Check(FrameCheck check);
    // Bytes waiting for the next chunk.
    std::size_t Waiting() const;
    // A chunk's raw bytes: everything since the last chunk, with the totals so far; with an
    // ending it is the last chunk.
    std::vector<std::uint8_t> Chunk(const RecordingTotals& totals,
                                    const RecordingEnding* ending = nullptr);

  private:
    void EndRun();
    std::vector<std::uint8_t> streams_[5];
    std::int64_t reading_ = 0, runDelta_ = 0, runCount_ = 0;
    std::int64_t keyPoll_ = -1;
};

// The file's first bytes.
std::vector<std::uint8_t> RecordingHeader(std::int64_t frequency, const std::string& note);
// A chunk's raw bytes compressed and framed as the file holds them.
std::vector<std::uint8_t> PackChunk(const std::vector<std::uint8_t>& raw);

// Whether the first bytes of a file are those of a recording (of any format version).
bool BeginsAsRecording(const std::uint8_t* data, std::size_t size);
// Reads a whole recording. False, with error saying what and where, for anything that is not a
// whole recording of this format: another format (named by its version), a corrupt chunk,
// streams that do not add up, more than a game could make the reader hold. A recording whose last
// chunk never came (its program ended without finishing it) is read, with ended false, also when
// the file ends in part of a chunk (cutAt). Never reads outside data.
bool ReadRecording(const std::uint8_t* data, std::size_t size, RecordedGame& game,
                   std::string& error);
// Reads one chunk's raw bytes (uncompressed) as the first chunk of game, for the fuzzer: the same
// checks without the compression in front of them.
bool ReadRecordingChunk(const std::uint8_t* raw, std::size_t size, RecordedGame& game,
                        std::string& error);
// The whole game as a file again, in one chunk.
std::vector<std::uint8_t> WriteRecording(const RecordedGame& game);

// What the screen shows (the visible pixels of the front surface, 0 without one) and a text, as
// 32-bit checksums.
std::uint32_t PictureChecksum(const SurfaceMemory* front);
std::uint32_t TextChecksum(const std::string& text);
