// demo_player.cpp -- a recorded game played again on the test platform
#include "demo_player.h"

#include <csignal>
#include <cstdio>

#include "../backend.h"
#include "../printable.h"
#include "../recorder.h"
#include "../signals.h"
#include "test_state.h"

namespace {

DemoPlay& Demo() { return Run().demo; }

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
    std::snprintf(text, sizeof text, " (at %.6f s, after %lld frames)", TestNowSeconds(),
                  static_cast<long long>(Demo().frames));
    return text;
}

[[noreturn]] void Diverged(const std::string& what) {
    throw TestStop{"not as recorded", 3, "the game did not play as recorded: " + what + Where()};
}

bool AllTaken() {
    const DemoPlay& d = Demo();
    const RecordingTotals& t = d.game.totals;
    return d.readings == t.clockReadings && d.keyPolls == t.keyPolls &&
           d.messagePolls == t.messagePolls && d.frames == t.frames &&
           d.nextEvent == d.game.events.size();
}

// The recorded game's state at its end against the one now.
void CompareEndStates() {
    const std::string now = DescribedGameState(), then = Demo().game.ending.state;
    if (now == then) return;
    std::size_t at = 0;
    while (at < now.size() && at < then.size() && now[at] == then[at])
        ++at;
    std::size_t from = at > 40 ? at - 40 : 0;
    Diverged("the game's state at the end differs from the recorded game's, from byte " +
             std::to_string(at) + ": '..." + Printable(now.substr(from, 80)) +
             "' where it was '..." + Printable(then.substr(from, 80)) + "'");
}

// The game asks for more than the recording holds: the recorded program ended here (by a
// signal, or by the window's close the game left unread, noticed at this very poll), or it played
// another way, or the recording was never finished. A program that returned with status 0 asks
// for nothing more when it plays the same, so status 0 there is the close.
[[noreturn]] void RanOut(const std::string& what) {
    const DemoPlay& d = Demo();
    if (!d.game.ended)
        throw TestStop{"recording ran out", 3,
                       "the recording stops where the game asks for " + what +
                           ": the program that made it never finished it" + Where()};
    if ((d.game.ending.signal || d.game.ending.status == 0) && AllTaken()) {
        CompareEndStates();
        throw TestStopBySignal(d.game.ending.signal);
    }
    Diverged("it asks for " + what + " beyond what the recorded game read");
}

void MoveTo(std::int64_t counts) {
    AdvanceTo(std::int64_t(__int128(counts) * 1'000'000'000 / Demo().game.frequency));
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
    MSG msg{Run().window, WM_ACTIVATEAPP, WPARAM(e.value), 0};
    DispatchMessageA(&msg);
}

} // namespace

void TestPlayDemo(const RecordedGame& game) {
    DemoPlay& d = Demo();
    d = DemoPlay{};
    d.on = true;
    TakeFlip();
    d.game = game;
}

std::string TestDemoEnded(int status) {
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
    try {
        CompareEndStates();
    } catch (const TestStop& stop) {
        return stop.detail;
    }
    return "";
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
        *msg =
            MSG{m.toWindow ? Run().window : nullptr, m.message, WPARAM(m.wParam), LPARAM(m.lParam)};
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
        MessageBoxA(Run().window, box.text.c_str(), box.caption.c_str(), MB_OK);
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
