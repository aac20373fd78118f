// demo_player.cpp -- a recorded game played again, on either backend
#include "demo_player.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "platform/emulation/backend.h"
#include "platform/emulation/message_queue.h"
#include "platform/emulation/printable.h"
#include "recorder.h"
#include "platform/emulation/signals.h"

namespace {

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
    std::int64_t now = 0;   // the recorded moment reached, in nanoseconds
    std::int64_t still = 0; // answers given since it last moved
};

DemoPlay TheDemo;

DemoPlay& Demo() { return TheDemo; }

// A real game's clock never reads the same twice while recording. Between two readings it may
// poll the keys or its messages for as long as a question waits, but the desktop sleeps 8 ms a
// poll once nothing moves: this many answers with the time standing still is six days of a
// player away (on the test platform, where a poll costs a microsecond, 67 virtual seconds at a
// prompt). A file that says more would spin the demo for ever: nothing it asks lets time pass.
constexpr std::int64_t StandStillLimit = std::int64_t(1) << 26;

const char* KindName(RecordedKind kind) {
    switch (kind) {
    case RecordedKind::WindowMade:
        return "the window";
    case RecordedKind::Calendar:
        return "the calendar";
    case RecordedKind::Frequency:
        return "the clock's frequency";
    case RecordedKind::DialogCommand:
        return "a dialog command";
    case RecordedKind::Activation:
        return "an activation";
    case RecordedKind::BoxShown:
        return "a message box";
    case RecordedKind::BoxAnswered:
        return "a message box's answer";
    case RecordedKind::SoundOutput:
        return "the sound output";
    case RecordedKind::Music:
        return "a music command's answer";
    case RecordedKind::DisplayMode:
        return "the display mode";
    }
    return "something unknown";
}

std::string Where() {
    char text[96];
    std::snprintf(text, sizeof text, " (at %.6f s, after %lld frames)", double(Demo().now) / 1e9,
                  static_cast<long long>(Demo().frames));
    return text;
}

[[noreturn]] void Diverged(const std::string& what) {
    BackendDemoStops("not as recorded", 3, "the game did not play as recorded: " + what + Where());
}

bool AllTaken() {
    const DemoPlay& d = Demo();
    const RecordingTotals& t = d.game.totals;
    return d.readings == t.clockReadings && d.keyPolls == t.keyPolls &&
           d.messagePolls == t.messagePolls && d.frames == t.frames &&
           d.nextEvent == d.game.events.size();
}

// The recorded game's state at its end against the one now: what differs, or "".
std::string EndStateDiffers() {
    const std::string now = DescribedGameState(), then = Demo().game.ending.state;
    if (now == then) return "";
    std::size_t at = 0;
    while (at < now.size() && at < then.size() && now[at] == then[at])
        ++at;
    std::size_t from = at > 40 ? at - 40 : 0;
    return "the game did not play as recorded: the game's state at the end differs from the "
           "recorded game's, from byte " +
           std::to_string(at) + ": '..." + Printable(now.substr(from, 80)) + "' where it was '..." +
           Printable(then.substr(from, 80)) + "'" + Where();
}

// The game asks for more than the recording holds: the recorded program ended here (by a
// signal, or by the window's close the game left unread, noticed at this very poll), or it played
// another way, or the recording was never finished. A program that returned with status 0 asks
// for nothing more when it plays the same, so status 0 there is the close.
[[noreturn]] void RanOut(const std::string& what) {
    const DemoPlay& d = Demo();
    if (!d.game.ended)
        BackendDemoStops("recording ran out", 3,
                         "the recording stops where the game asks for " + what +
                             ": the program that made it never finished it" + Where());
    if ((d.game.ending.signal || d.game.ending.status == 0) && AllTaken()) {
        if (std::string differs = EndStateDiffers(); !differs.empty())
            BackendDemoStops("not as recorded", 3, differs);
        const int signal = d.game.ending.signal;
        if (!signal) BackendDemoStops("closed", 0, "");
        BackendDemoStops(std::string("signal ") + (EndSignalName(signal) + 3), 128 + signal, "");
    }
    Diverged("it asks for " + what + " beyond what the recorded game read");
}

void MoveTo(std::int64_t counts) {
    DemoPlay& d = Demo();
    const std::int64_t ns = std::int64_t(__int128(counts) * 1'000'000'000 / d.game.frequency);
    if (ns > d.now) d.now = ns, d.still = 0;
    BackendDemoAt(ns);
}

// One more clock reading or poll: the recorded game must not stand still for ever.
void Answering() {
    if (++Demo().still <= StandStillLimit) return;
    BackendDemoStops("recording stands still", 3,
                     "the recorded game stands still: more than " +
                         std::to_string(StandStillLimit) +
                         " clock readings and polls without its time moving, which no real game "
                         "makes" +
                         Where());
}

// The next recorded event, which must be of this kind.
const RecordedEvent& Take(RecordedKind kind) {
    DemoPlay& d = Demo();
    if (d.nextEvent == d.game.events.size()) RanOut(KindName(kind));
    const RecordedEvent& e = d.game.events[d.nextEvent];
    if (e.kind != kind)
        Diverged(std::string("it asks for ") + KindName(kind) + " where the recorded game had " +
                 KindName(e.kind));
    ++d.nextEvent;
    return e;
}

bool NextIs(RecordedKind kind) {
    const DemoPlay& d = Demo();
    return d.nextEvent < d.game.events.size() && d.game.events[d.nextEvent].kind == kind;
}

void Activate(const RecordedEvent& e) {
    MoveTo(e.stamp);
    MSG msg{BackendWindow(), WM_ACTIVATEAPP, WPARAM(e.value), 0};
    DispatchMessageA(&msg);
}

} // namespace

bool ReadRecordingFile(const std::string& path, RecordedGame& game, std::string& why) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        why = path + (error ? ": " + error.message() : std::string(" is not a regular file"));
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    if (in) {
        // The size read now, not trusted: the file may grow meanwhile.
        char chunk[1 << 16];
        while (bytes.size() <= LargestRecordingFile && in.read(chunk, sizeof chunk).gcount() > 0)
            bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    }
    if (!in.is_open() || in.bad()) {
        why = "cannot read " + path;
        return false;
    }
    if (bytes.size() > LargestRecordingFile) {
        why = path + " is larger than " + std::to_string(LargestRecordingFile >> 20) +
              " MiB: not a recording";
        return false;
    }
    std::string problem;
    if (!ReadRecording(bytes.data(), bytes.size(), game, problem)) {
        why = path + ": " + problem;
        return false;
    }
    return true;
}

std::string NoEndingWarning(const std::string& path, const RecordedGame& game) {
    if (game.ended) return "";
    return path + " has no ending (the program that recorded it did not finish it" +
           (game.cutAt < 0 ? "" : ", and a chunk of it is cut short") +
           "): it plays as far as its last whole chunk";
}

void PlayDemo(RecordedGame&& game) {
    DemoPlay& d = Demo();
    d = DemoPlay{};
    d.on = true;
    TakeFlip();
    d.game = std::move(game);
}

void StopDemo() { Demo() = DemoPlay{}; }

std::string DemoEnded(int status) {
    const DemoPlay& d = Demo();
    if (!d.on) return "";
    if (!d.game.ended) return "the recording has no ending to compare the program's with";
    if (!AllTaken())
        return "the program ended before the recorded game did" + Where() +
               (d.game.ending.signal ? ", which a signal ended" : "");
    if (d.game.ending.signal) return "the recorded game was ended by a signal, this one was not";
    if (status != d.game.ending.status)
        return "the program ended with status " + std::to_string(status) +
               ", the recorded one with " + std::to_string(d.game.ending.status);
    return EndStateDiffers();
}

bool DemoPlaying() { return Demo().on; }

BOOL DemoFrequency(std::int64_t* frequency) {
    const RecordedEvent& e = Take(RecordedKind::Frequency);
    *frequency = e.value;
    return e.flag ? 1 : 0;
}

BOOL DemoCounter(std::int64_t* count) {
    EndIfSignalled();
    DemoPlay& d = Demo();
    if (d.readings == d.game.totals.clockReadings) RanOut("a clock reading");
    Answering();
    while (d.readInRun == d.game.clock[d.run].count) {
        ++d.run;
        d.readInRun = 0;
    }
    d.reading += d.game.clock[d.run].delta;
    ++d.readInRun;
    ++d.readings;
    *count = d.reading;
    MoveTo(d.reading);
    return 1;
}

std::int64_t DemoCalendar() { return Take(RecordedKind::Calendar).value; }

short DemoKey(int key) {
    DemoPlay& d = Demo();
    if (d.keyPolls == d.game.totals.keyPolls) RanOut("a key poll");
    Answering();
    std::int64_t poll = d.keyPolls++;
    if (d.nextKey < d.game.keys.size() && d.game.keys[d.nextKey].poll == poll) {
        const KeyChange& change = d.game.keys[d.nextKey++];
        if (change.key != key)
            Diverged("key poll " + std::to_string(poll) + " asks for key " + std::to_string(key) +
                     " where the recorded game's key " + std::to_string(change.key) + " changed");
        d.held[key] = change.held;
        MoveTo(change.stamp);
    }
    return key >= 0 && key < 256 && d.held[key] ? short(0x8000) : short(0);
}

BOOL DemoMessage(MSG* msg) {
    DemoPlay& d = Demo();
    if (d.messagePolls == d.game.totals.messagePolls) RanOut("a message poll");
    Answering();
    ++d.messagePolls;
    // The totals were checked against the entries: there is one for every poll.
    for (;;) {
        const RecordedMessage& m = d.game.messages[d.nextMessage];
        if (d.emptiesTaken < m.emptyBefore) {
            ++d.emptiesTaken;
            return 0;
        }
        ++d.nextMessage;
        d.emptiesTaken = 0;
        if (!m.found) continue;
        *msg = MSG{m.toWindow ? BackendWindow() : nullptr, m.message, WPARAM(m.wParam),
                   LPARAM(m.lParam)};
        MoveTo(m.stamp);
        return 1;
    }
}

bool DemoWindowMade() {
    if (!NextIs(RecordedKind::WindowMade)) return false;
    ++Demo().nextEvent;
    return true;
}

void DemoAnswerDialog(const std::function<void(int)>& command) {
    while (!ModalDialogEnded()) {
        if (NextIs(RecordedKind::Activation)) {
            Activate(Take(RecordedKind::Activation));
            continue;
        }
        const RecordedEvent& e = Take(RecordedKind::DialogCommand);
        MoveTo(e.stamp);
        command(int(e.value));
    }
}

void DemoMessageBox(const char* caption, const char* text) {
    const RecordedEvent& shown = Take(RecordedKind::BoxShown);
    const std::string c = caption ? caption : "", t = text ? text : "";
    if (shown.caption != c || shown.text != t)
        Diverged("it shows the box '" + c + "' where the recorded game showed '" +
                 Printable(shown.caption) + "'");
    MoveTo(shown.stamp);
    while (NextIs(RecordedKind::Activation))
        Activate(Take(RecordedKind::Activation));
    MoveTo(Take(RecordedKind::BoxAnswered).stamp);
}

bool DemoSoundOutput(std::string& why) {
    const RecordedEvent& e = Take(RecordedKind::SoundOutput);
    why = e.text;
    return e.flag;
}

DWORD DemoMusic() {
    while (NextIs(RecordedKind::BoxShown)) {
        const RecordedEvent box = Demo().game.events[Demo().nextEvent];
        MessageBoxA(BackendWindow(), box.text.c_str(), box.caption.c_str(), MB_OK);
    }
    return DWORD(Take(RecordedKind::Music).value);
}

bool DemoDisplayMode() { return Take(RecordedKind::DisplayMode).flag; }

void DemoFrameStepEnds() {
    DemoPlay& d = Demo();
    if (!TakeFlip()) return;
    if (d.frames == d.game.totals.frames) RanOut("a frame");
    const FrameCheck& want = d.game.checks[std::size_t(d.frames)];
    ++d.frames;
    if (GameStateChecksum() != want.state)
        Diverged("the game's state at the end of a frame is not the recorded game's");
    if (PictureChecksum(DisplayFront()) != want.picture)
        Diverged("the picture of a frame is not the one the recorded game showed");
}
