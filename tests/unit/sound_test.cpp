// The effect slots: the two loaders on good and bad files, the slot table that loading builds,
// playing and stopping, a game without sound, and a device that cannot be opened.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/game_clock.h"
#include "app/game_flow.h"
#include "audio/sound.h"
#include "game_fixture.h"
#include "support/game_files.h"
#include "platform/emulation/backend.h"
#include "core/program.h"

namespace fs = std::filesystem;

namespace {

using namespace files;

Bytes Ramp(std::size_t n) {
    Bytes s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(std::uint8_t(i * 7 + 3));
    return s;
}

// A wave format chunk: 16-bit stereo at 22050 Hz, 16 bytes long or 18 with its extra size.
Bytes Stereo16(std::uint16_t tag, bool withExtraSize) {
    return Chunk("fmt ", Format(tag, 2, 22050, 16, withExtraSize));
}

class SoundTest : public ScratchFolderTest {
  protected:
    void StartSound() {
        OpenWindow();
        ASSERT_EQ(InitSound(), 1);
        ASSERT_NE(SoundDevice, nullptr);
    }

    // The samples a slot's buffer holds, read back through a lock.
    Bytes SlotSamples(int slot) {
        LPDIRECTSOUNDBUFFER b = SoundSlots[slot].Buffer;
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        if (!b || b->Lock(0, 0, &p1, &n1, &p2, &n2, 0) != DS_OK) return {};
        Bytes out(static_cast<std::uint8_t*>(p1), static_cast<std::uint8_t*>(p1) + n1);
        b->Unlock(p1, n1, p2, n2);
        return out;
    }

    // The game's own loading, in a folder holding the game's files but one.
    void LoadTheGameWithout(const std::string& missing) {
        for (const auto& entry : fs::directory_iterator(SKIRMO_DATA_DIR))
            if (entry.path().filename() != missing)
                fs::create_symlink(entry.path(), dir / entry.path().filename());
        StartSound();
        ASSERT_EQ(InitDisplay(), 1);
        ASSERT_EQ(InitGameClock(), 1);
        LoadGame();
    }

    // What each slot sounds when played: "file frequency volume", or "" for silence.
    std::vector<std::string> PlayEachSlot(int count) {
        std::vector<std::string> heard;
        for (int slot = 0; slot < count; ++slot) {
            TestEvents().clear();
            StopSoundSlot(slot);
            EXPECT_EQ(PlaySoundSlot(slot, 0), 1);
            heard.emplace_back();
            for (const TestEvent& e : TestEvents())
                if (e.kind == "sound" && e.op == "play")
                    heard.back() =
                        e.file + " " + std::to_string(e.frequency) + " " + std::to_string(e.volume);
        }
        return heard;
    }
};

TEST(VocSamples, TheFirstBlockMustLieWithinTheFile) {
    std::size_t offset = 0, count = 0;
    Bytes file = Voc(1002, Ramp(1000));
    ASSERT_TRUE(FindVocSamples(file.data(), file.size(), offset, count));
    EXPECT_EQ(offset, 32u);
    EXPECT_EQ(count, 1000u) << "the length counts the time constant and the packing";
    Bytes farBlock = file;
    farBlock[20] = 250; // only the low byte of the offset counts
    const struct {
        const char* what;
        Bytes bytes;
    } bad[] = {{"empty", {}},
               {"no block offset", Bytes(file.begin(), file.begin() + 20)},
               {"no block header", Bytes(file.begin(), file.begin() + 29)},
               {"length 0", Voc(0, {})},
               {"length 1", Voc(1, {})},
               {"one byte past the end", Voc(13, Ramp(10))},
               {"far past the end", Voc(0xFFFFFF, Ramp(10))},
               {"block beyond the file", Bytes(farBlock.begin(), farBlock.begin() + 200)}};
    // Each is its own allocation of its exact size: the sanitizer build catches any read past.
    for (const auto& b : bad)
        EXPECT_FALSE(FindVocSamples(b.bytes.data(), b.bytes.size(), offset, count)) << b.what;
    Bytes exact = Voc(12, Ramp(10));
    EXPECT_TRUE(FindVocSamples(exact.data(), exact.size(), offset, count));
    Bytes none = Voc(2, {});
    EXPECT_TRUE(FindVocSamples(none.data(), none.size(), offset, count));
    EXPECT_EQ(count, 0u) << "a block of only its time constant and packing holds no samples";
}

// Loading reads the samples in 64 KB pieces: these take two, the second short.
TEST_F(SoundTest, EachFileTakesTheNextSlotWhetherItLoadsOrNot) {
    Bytes samples = Ramp(70000);
    const std::uint32_t block = 70002;
    const struct {
        const char* name;
        Bytes bytes; // empty: no such file
        bool loads;
    } files[] = {
        {"ramp.voc", Voc(block, samples), true},
        {"truncated.voc", Voc(block, Ramp(69999)), false},
        {"short.voc", Bytes(20, 'V'), false},
        {"oversized.voc", Voc(block, samples), false}, // grown to 16 MiB and a byte below
        {"missing.voc", {}, false},
        // Nothing of the chunk after the data is taken along.
        {"plain.wav", Wave(Stereo16(1, true) + Chunk("data", samples) + Chunk("LIST", Ramp(9))),
         true},
        // A 16-byte format: the 18-byte read takes two bytes of the data chunk's header along.
        {"short-format.wav", Wave(Stereo16(1, false) + Chunk("data", samples)), true},
        {"adpcm.wav", Wave(Stereo16(2, true) + Chunk("data", samples)), false},
        {"no-data.wav", Wave(Stereo16(1, true)), false},
        {"not-riff.wav", Voc(block, samples), false},
        {"missing.wav", {}, false},
        // A data chunk that claims more than the file holds gives what the file holds.
        {"cut.wav", Wave(Stereo16(1, true) + Chunk("data", samples, 1u << 30)), true},
    };
    for (const auto& f : files)
        if (!f.bytes.empty()) Write(f.name, f.bytes);
    fs::resize_file(dir / "oversized.voc", (std::uintmax_t(16) << 20) + 1); // sparse, quick

    StartSound();
    int slot = 0;
    for (const auto& f : files) {
        bool wave = std::string(f.name).ends_with(".wav");
        int result = wave ? LoadWavSound(f.name, 224) : LoadVocSound(f.name);
        EXPECT_EQ(result, f.loads ? slot : -1) << f.name;
        EXPECT_EQ(SoundSlots[slot].InUse, 1) << f.name;
        // Wave data of any kind is taken byte for byte as 8-bit mono samples.
        EXPECT_EQ(SlotSamples(slot), f.loads ? samples : Bytes{}) << f.name;
        ++slot;
    }
    EXPECT_EQ(SetSlotFrequency(5, 22000), 1) << "224 asks for the frequency control";
    EXPECT_EQ(GetSlotStatus(5), 0);
    EXPECT_EQ(GetSlotStatus(1), -1);
}

// What every slot plays with all the files there is in the whole games' recorded logs.
TEST_F(SoundTest, AMissingFileSilencesOnlyItsOwnSlots) {
    LoadTheGameWithout("plyrshot.voc");
    // Volume in hundredths of a decibel: 80 percent is 6 dB down.
    EXPECT_EQ(PlayEachSlot(8),
              (std::vector<std::string>{"", "pickup.voc 11020 -600", "boom.voc 8000 -600", "",
                                        "pickup.voc 10000 -600", "boom.voc 9000 -600",
                                        "terrible.wav 22000 0", ""}));
}

TEST_F(SoundTest, TriggeringASlotAgainRestartsItAndReleasingFreesEverySlot) {
    StartSound();
    Write("ramp.voc", Voc(1002, Ramp(1000)));
    ASSERT_EQ(LoadVocSound("ramp.voc"), 0);
    ASSERT_EQ(SetSlotFrequency(0, 11025), 1);
    ASSERT_EQ(SetSlotVolume(0, 100), 1);
    // The mixer at the buffer's own rate hands back the samples one for one.
    auto mix = [](int frames) {
        std::vector<float> out(2 * std::size_t(frames), 0.0f);
        MixSoundBuffers(out.data(), frames, 11025);
        return out;
    };
    const std::vector<float> silence(200, 0.0f);

    ASSERT_EQ(PlaySoundSlot(0, 0), 1);
    std::vector<float> first = mix(100);
    EXPECT_EQ(GetSlotStatus(0), long(DSBSTATUS_PLAYING));
    EXPECT_NE(mix(100), first);
    StopSoundSlot(0);
    EXPECT_EQ(GetSlotStatus(0), 0);
    EXPECT_EQ(mix(100), silence) << "stopped means silent";
    ASSERT_EQ(PlaySoundSlot(0, 0), 1);
    EXPECT_EQ(mix(100), first) << "a stopped slot starts over";
    ASSERT_EQ(PlaySoundSlot(0, 0), 1);
    EXPECT_EQ(mix(100), first) << "played while it plays: cut off and started over";
    mix(2000);
    EXPECT_EQ(GetSlotStatus(0), 0) << "a slot plays once and stops at its end";

    ASSERT_EQ(DuplicateSoundSlot(0), 1);
    PlaySoundSlot(1, 0);
    EXPECT_EQ(ReleaseSound(), 1);
    EXPECT_EQ(SoundDevice, nullptr);
    EXPECT_EQ(SoundSlots[0].Buffer, nullptr);
    EXPECT_EQ(SoundSlots[1].Buffer, nullptr);
    EXPECT_EQ(PlaySoundSlot(1, 0), 1) << "nothing left to play";
}

TEST_F(SoundTest, WithoutSoundNothingIsTouchedAndEverythingSucceeds) {
    TestOptions o;
    o.failure.step = TestFailure::Sound; // would fail, were the service asked
    Start(o);
    Write("ramp.voc", Voc(1002, Ramp(1000)));
    OpenWindow();
    SoundEnabled = 0;
    EXPECT_EQ(InitSound(), 1);
    EXPECT_EQ(SoundDevice, nullptr);
    EXPECT_EQ(LoadVocSound("ramp.voc"), 1);
    EXPECT_EQ(LoadWavSound("terrible.wav", 224), 1);
    EXPECT_EQ(SoundSlots[0].InUse, 0);
    EXPECT_EQ(SetSlotFrequency(0, 7000), 1);
    EXPECT_EQ(SetSlotVolume(0, 80), 1);
    EXPECT_EQ(StopSoundSlot(0), 1);
    EXPECT_EQ(PlaySoundSlot(0, 0), 1);
    EXPECT_EQ(GetSlotStatus(0), 1);
    EXPECT_EQ(ReleaseSound(), 1);
    EXPECT_TRUE(TestEvents().empty());
}

TEST_F(SoundTest, ASoundDeviceThatCannotBeOpenedIsSaidBeforeTheGameEnds) {
    TestOptions o;
    o.failure.step = TestFailure::Sound;
    Start(o);
    OpenWindow();
    EXPECT_EQ(InitSound(), 0);
    EXPECT_EQ(SoundDevice, nullptr);
    std::vector<TestEvent> boxes = MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Sound initialization error");
    EXPECT_EQ(boxes[0].text.rfind(
                  std::string("The sound device could not be opened: ") + SoundOutputError(), 0),
              0u)
        << boxes[0].text;
    EXPECT_STRNE(SoundOutputError(), "");
    EXPECT_NE(boxes[0].text.find("\"Check this if you don't have a sound card\""),
              std::string::npos);
}

} // namespace
