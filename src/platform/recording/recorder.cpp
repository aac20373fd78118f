// recorder.cpp -- recording what the game reads, and writing it out off the game's thread
//
// The game thread only appends a few bytes to memory at each answer. About every half second
// (by the recording's clock) what came meanwhile becomes a chunk, which a thread of the recorder's
// own compresses and writes, so that neither a slow disk nor zlib ever holds up a frame, and a
// crash loses at most the last half second or so. Where no thread can be had, the game thread
// writes each chunk itself as it is cut.
#include "recorder.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/emulation/backend.h"
#include "platform/api/recording.h"
#include "recording_format.h"

namespace {

struct Recorder {
    int file = -1;
    off_t whole = 0; // the bytes of the file that are whole: the header and whole chunks
    std::string path;
    std::int64_t frequency = 0;
    std::int64_t (*clock)() = nullptr;
    RecordingWriter writer;
    RecordingTotals totals;
    bool held[256] = {};
    std::int64_t emptyPolls = 0; // message polls since the last message
    std::int64_t nextChunk = 0;  // by the clock
    unsigned sinceLook = 0;
    // Shared with the writing thread.
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::vector<std::uint8_t>> chunks;
    bool closing = false;
    std::string failure; // why the file is incomplete; nothing more is written after it
    std::thread thread;
};

Recorder* Open = nullptr;
std::string (*Describe)() = nullptr;

// Looking at the clock at every answer would cost more than the answer itself.
constexpr unsigned LookEvery = 256;
constexpr std::size_t ChunkBytes = std::size_t(1) << 20;

bool WriteAll(int file, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = write(file, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

// Writes the chunks waiting, holding the lock only between them.
void WriteWaiting(Recorder* r, std::unique_lock<std::mutex>& hold) {
    while (!r->chunks.empty()) {
        std::vector<std::uint8_t> raw = std::move(r->chunks.front());
        r->chunks.pop_front();
        bool skip = !r->failure.empty();
        hold.unlock();
        std::string why;
        if (!skip) {
            std::vector<std::uint8_t> packed = PackChunk(raw);
            if (packed.empty())
                why = "a chunk could not be compressed";
            else if (!WriteAll(r->file, packed))
                why = std::strerror(errno);
            else
                r->whole += off_t(packed.size());
            // Part of a chunk (a full disk) goes again, so the file plays to its last whole one.
            if (!why.empty() && ftruncate(r->file, r->whole) != 0) why += "; cut short mid-chunk";
        }
        hold.lock();
        if (!why.empty() && r->failure.empty()) r->failure = why;
    }
}

void WriteChunks(Recorder* r) {
    std::unique_lock<std::mutex> hold(r->lock);
    for (;;) {
        r->wake.wait(hold, [r] { return !r->chunks.empty() || r->closing; });
        if (r->chunks.empty()) return;
        WriteWaiting(r, hold);
    }
}

void Cut(Recorder* r, const RecordingEnding* ending = nullptr) {
    if (r->emptyPolls > 0) {
        RecordedMessage none;
        none.emptyBefore = r->emptyPolls;
        r->writer.Message(none);
        r->emptyPolls = 0;
    }
    std::vector<std::uint8_t> raw = r->writer.Chunk(r->totals, ending);
    {
        std::unique_lock<std::mutex> hold(r->lock);
        r->chunks.push_back(std::move(raw));
        // Without a thread of its own, the recorder writes each chunk as it is cut.
        if (!r->thread.joinable()) WriteWaiting(r, hold);
    }
    r->wake.notify_one();
    r->nextChunk = r->clock() + r->frequency / 2;
}

void Looked() {
    if (++Open->sinceLook < LookEvery) return;
    Open->sinceLook = 0;
    if (Open->clock() >= Open->nextChunk || Open->writer.Waiting() > ChunkBytes) Cut(Open);
}

// Closes the recording: with its ending, or (at an exit nobody announced) without one, as a
// crash leaves it.
void Close(const RecordingEnding* ending) {
    Recorder* r = std::exchange(Open, nullptr);
    if (!r) return;
    Cut(r, ending);
    {
        std::lock_guard<std::mutex> hold(r->lock);
        r->closing = true;
    }
    r->wake.notify_one();
    if (r->thread.joinable()) r->thread.join();
    if (close(r->file) != 0 && r->failure.empty()) r->failure = std::strerror(errno);
    if (!r->failure.empty())
        std::fprintf(stderr, "skirmo: the recording %s is incomplete: %s\n", r->path.c_str(),
                     r->failure.c_str());
    delete r;
}

void CloseAtExit() { Close(nullptr); }

void Note(RecordedEvent e) {
    if (!Open) return;
    Open->writer.Event(e);
    Looked();
}

RecordedEvent Stamped(RecordedKind kind, std::int64_t value = 0) {
    RecordedEvent e;
    e.kind = kind;
    e.value = value;
    e.stamp = Open ? Open->clock() : 0;
    return e;
}

// The data folder in use is the current one, where the game opens its files: whether path is
// one of them, or would be found in their place (their names are matched without regard to case).
bool InDataFolder(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path p(path);
    bool here = fs::equivalent(p.has_parent_path() ? p.parent_path() : ".", ".", error);
    std::error_code listing;
    for (fs::directory_iterator at(".", listing), end; !listing && at != end;
         at.increment(listing)) {
        if (fs::equivalent(at->path(), p, error)) return true;
        if (here && strcasecmp(at->path().filename().c_str(), p.filename().c_str()) == 0)
            return true;
    }
    return false;
}

// What an open file holds, as far as recording over it goes.
enum class Held { Nothing, Recording, Other, NotRegular, Unreadable };
Held WhatFileHolds(int file) {
    struct stat info {};
    if (fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) return Held::NotRegular;
    std::uint8_t head[32];
    ssize_t got = pread(file, head, sizeof head, 0);
    if (got < 0) return Held::Unreadable;
    if (got == 0) return Held::Nothing;
    return BeginsAsRecording(head, std::size_t(got)) ? Held::Recording : Held::Other;
}

// Whether path is a regular file that begins as a recording. The game reads no recording, so
// one may be recorded over wherever it lies, the data folder too.
bool IsRecordingFile(const std::string& path) {
    int file = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return false;
    const bool is = WhatFileHolds(file) == Held::Recording;
    close(file);
    return is;
}

// Opens path for a recording without changing it yet, or says why it may not be one: a file of
// the data folder, or anything but a new file or a recording (a map, a picture, a named pipe).
int OpenForRecording(const std::string& path, std::string& why) {
    if (!IsRecordingFile(path) && InDataFolder(path)) {
        why = "it is a file of the data folder in use";
        return -1;
    }
    // Without waiting: a named pipe would hold the open until something read it.
    int file = open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (file < 0) {
        why = std::strerror(errno);
        return -1;
    }
    switch (WhatFileHolds(file)) {
    case Held::Nothing:
    case Held::Recording:
        return file;
    case Held::NotRegular:
        why = "it is not a regular file";
        break;
    case Held::Unreadable:
        why = std::strerror(errno);
        break;
    case Held::Other:
        why = "it holds something else than a recording, which it would replace";
        break;
    }
    close(file);
    return -1;
}

} // namespace

bool OpenRecording(const std::string& path, const std::string& note, std::int64_t frequency,
                   std::int64_t (*clock)(), std::string& why) {
    if (Open) {
        why = "a recording is open already";
        return false;
    }
    int file = OpenForRecording(path, why);
    if (file < 0) return false;
    std::vector<std::uint8_t> head = RecordingHeader(frequency, note);
    if (ftruncate(file, 0) != 0 || !WriteAll(file, head)) {
        why = std::strerror(errno);
        close(file);
        return false;
    }
    auto* r = new Recorder;
    r->file = file;
    r->whole = off_t(head.size());
    r->path = path;
    r->frequency = frequency;
    r->clock = clock;
    r->nextChunk = clock() + frequency / 2;
    TakeFlip();
    try {
        r->thread = std::thread(WriteChunks, r);
    } catch (const std::system_error&) {
        // No thread to be had (a page has none, a machine may be out of them): the chunks are
        // then written as they are cut, which costs a frame about a millisecond each half second.
    }
    Open = r;
    static bool atExit = false;
    if (!atExit) atExit = std::atexit(CloseAtExit) == 0;
    return true;
}

bool Recording() { return Open != nullptr; }

void DescribeGameStateWith(std::string (*describe)()) { Describe = describe; }
std::string DescribedGameState() { return Describe ? Describe() : std::string(); }
std::uint32_t GameStateChecksum() { return Describe ? TextChecksum(Describe()) : 0; }

std::int64_t RecordCalendar(std::int64_t time) {
    Note(Stamped(RecordedKind::Calendar, time));
    return time;
}

void RecordFrequency(bool answer, std::int64_t frequency) {
    RecordedEvent e = Stamped(RecordedKind::Frequency, frequency);
    e.flag = answer;
    Note(e);
}

std::int64_t RecordCounter(std::int64_t reading) {
    if (!Open) return reading;
    ++Open->totals.clockReadings;
    Open->writer.Clock(reading);
    Looked();
    return reading;
}

short RecordKey(int key, short answer) {
    if (!Open) return answer;
    std::int64_t poll = Open->totals.keyPolls++;
    bool held = answer < 0;
    // Keys outside the table are never held on either platform.
    if (key >= 0 && key < 256 && Open->held[key] != held) {
        Open->held[key] = held;
        Open->writer.KeyChanged(KeyChange{poll, key, held, Open->clock()});
    }
    Looked();
    return answer;
}

BOOL RecordMessage(const MSG* msg, BOOL found) {
    if (!Open) return found;
    ++Open->totals.messagePolls;
    if (!found || !msg) {
        ++Open->emptyPolls;
    } else {
        RecordedMessage m;
        m.emptyBefore = std::exchange(Open->emptyPolls, 0);
        m.found = true;
        m.message = msg->message;
        m.wParam = msg->wParam;
        m.lParam = msg->lParam;
        m.toWindow = msg->hwnd != nullptr;
        m.stamp = Open->clock();
        Open->writer.Message(m);
    }
    Looked();
    return found;
}

void RecordWindowMade() { Note(Stamped(RecordedKind::WindowMade)); }
void RecordDialogCommand(int control) { Note(Stamped(RecordedKind::DialogCommand, control)); }
void RecordActivation(WPARAM wParam) {
    Note(Stamped(RecordedKind::Activation, std::int64_t(wParam)));
}

bool RecordSoundOutput(bool opened, const std::string& why) {
    RecordedEvent e = Stamped(RecordedKind::SoundOutput);
    e.flag = opened;
    e.text = opened ? "" : why;
    Note(e);
    return opened;
}

DWORD RecordMusic(DWORD answer) {
    Note(Stamped(RecordedKind::Music, answer));
    return answer;
}

bool RecordDisplayMode(bool shown) {
    RecordedEvent e = Stamped(RecordedKind::DisplayMode);
    e.flag = shown;
    Note(e);
    return shown;
}

namespace {
bool Flipped = false;
} // namespace

void NoteFlip() { Flipped = true; }
bool TakeFlip() { return std::exchange(Flipped, false); }

void RecordFrameStep() {
    if (!Open || !TakeFlip()) return;
    ++Open->totals.frames;
    Open->writer.Check(FrameCheck{PictureChecksum(DisplayFront()), GameStateChecksum()});
    Looked();
}

RecordedBox::RecordedBox(const char* caption, const char* text) {
    RecordedEvent e = Stamped(RecordedKind::BoxShown);
    e.caption = caption ? caption : "";
    e.text = text ? text : "";
    Note(e);
}

RecordedBox::~RecordedBox() { Note(Stamped(RecordedKind::BoxAnswered)); }

void EndRecordingBySignal(int signal) {
    if (!Open) return;
    RecordingEnding ending{signal ? 128 + signal : 0, signal, DescribedGameState()};
    Close(&ending);
}

int FinishRecording(int status) {
    if (!Open) return status;
    RecordingEnding ending{status, 0, DescribedGameState()};
    Close(&ending);
    return status;
}
