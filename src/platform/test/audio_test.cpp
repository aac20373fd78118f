// audio_test.cpp -- the test platform's sound output and MIDI sequencer: nothing is heard,
// everything is recorded
//
// The log names each sound by the file its samples came from. Which file was read last says
// little (the music, a picture or the map may be read in between), so the samples themselves
// are looked for, when they are written, in the last few files read whole: the newest that
// holds them names them.
#include <algorithm>
#include <string>

#include "platform/emulation/backend.h"
#include "test_state.h"

bool BackendOpenSound(std::string& why) {
    if (Run().options.failure.step != TestFailure::Sound) return true;
    why = "no sound device (this test run makes the sound output fail)";
    return false;
}
void BackendCloseSound() { BackendCall("close the sound output"); }
void BackendLockSound() {}
void BackendUnlockSound() {}

namespace {

constexpr std::size_t RecentCount = 8;
constexpr std::size_t RecentLargest = std::size_t(1) << 20; // a sound effect's size at most

void RecordSound(const char* op, const SoundBufferData& b) {
    TestEvent e;
    e.kind = "sound";
    e.op = op;
    auto named = Run().soundFiles.find(SoundBufferSamples(b));
    if (named != Run().soundFiles.end()) e.file = named->second;
    e.frequency = long(SoundBufferFrequency(b));
    e.volume = long(SoundBufferVolume(b));
    e.looping = SoundBufferLooping(b);
    TestRecord(e);
}

} // namespace

void BackendGameFileRead(const char* name, const std::vector<std::uint8_t>* bytes) {
    BackendCall((std::string("ReadGameFile ") + name).c_str());
    auto& recent = Run().recentFiles;
    if (!bytes || bytes->size() > RecentLargest) return;
    recent.emplace_back(name, *bytes);
    if (recent.size() > RecentCount) recent.pop_front();
}

void BackendSoundWritten(const SoundBufferData& b) {
    const std::vector<std::uint8_t>& samples = SoundBufferSamples(b);
    const auto& recent = Run().recentFiles;
    for (auto f = recent.rbegin(); f != recent.rend(); ++f) {
        if (std::search(f->second.begin(), f->second.end(), samples.begin(), samples.end()) !=
            f->second.end()) {
            Run().soundFiles[samples] = f->first;
            return;
        }
    }
}

void BackendSoundPlayed(const SoundBufferData& b) { RecordSound("play", b); }
void BackendSoundStopped(const SoundBufferData& b) { RecordSound("stop", b); }

// Without a sound output the real sequencer cannot open a piece (error 266, no driver); what is
// never opened then fails on its alias in the shared command reader, as on the desktop.
DWORD BackendMci(MciVerb verb, const std::vector<std::uint8_t>*, const char*) {
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
