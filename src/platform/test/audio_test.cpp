// audio_test.cpp -- the test platform's sound output and MIDI sequencer: nothing is heard,
// everything is recorded
#include <string>

#include "../backend.h"
#include "test_state.h"

bool BackendOpenSound(std::string& why) {
    if (DemoPlaying()) return DemoSoundOutput(why);
    if (Run().options.failure.step != TestFailure::Sound) return true;
    why = "no sound device (this test run makes the sound output fail)";
    return false;
}
void BackendCloseSound() {}
bool BackendNamesSoundBuffers() { return true; }
void BackendLockSound() {}
void BackendUnlockSound() {}

namespace {

void RecordSound(const char* op, const SoundBufferData& b) {
    TestEvent e;
    e.kind = "sound";
    e.op = op;
    e.file = SoundBufferFile(b);
    e.frequency = long(SoundBufferFrequency(b));
    e.volume = long(SoundBufferVolume(b));
    TestRecord(e);
}

} // namespace

void BackendSoundPlayed(const SoundBufferData& b) { RecordSound("play", b); }
void BackendSoundStopped(const SoundBufferData& b) { RecordSound("stop", b); }

// Without a sound output the real sequencer cannot open a piece (error 266, no driver); what is
// never opened then fails on its alias in the shared command reader, as on the desktop.
DWORD BackendMci(MciVerb verb, const std::vector<std::uint8_t>*, const char*) {
    if (DemoPlaying()) return DemoMusic();
    constexpr DWORD MusicCannotLoadDriver = 266;
    if (verb == MciVerb::Open && Run().options.failure.step == TestFailure::Sound)
        return MusicCannotLoadDriver;
    return 0;
}

void BackendMciSent(const char* command, DWORD result) {
    TestEvent e;
    e.kind = "mci";
    e.command = command ? command : "";
    e.result = std::to_string(result);
    TestRecord(e);
}
