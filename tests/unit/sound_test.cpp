// The effect slots: the two loaders on good and bad files, the slot table that loading builds,
// playing and stopping, and a game without sound.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "audio/sound.h"
#include "game_fixture.h"
#include "platform/backend.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}
void Put16(Bytes& b, std::uint16_t v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
void PutId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(id[i]));
}

Bytes Ramp(std::size_t n) {
    Bytes s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(std::uint8_t(i * 7 + 3));
    return s;
}

// A Creative Voice file whose first block claims blockLength and holds samples.
Bytes Voc(std::uint32_t blockLength, const Bytes& samples) {
    Bytes b(20, 'V');
    Put16(b, 26);
    Put16(b, 0x010A);
    Put16(b, 0x1129);
    b.push_back(1);
    for (int i = 0; i < 3; ++i)
        b.push_back(std::uint8_t(blockLength >> (8 * i)));
    b.push_back(0xA6); // time constant
    b.push_back(0);    // packing
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

void PutChunk(Bytes& b, const char* id, const Bytes& data, std::uint32_t claimed = 0) {
    PutId(b, id);
    Put32(b, claimed ? claimed : std::uint32_t(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
}

// A wave format of the given tag, 16 bytes long or 18 with its extra-size field.
Bytes Format(std::uint16_t tag, bool withExtraSize) {
    Bytes f;
    Put16(f, tag);
    Put16(f, 2);
    Put32(f, 22050);
    Put32(f, 88200);
    Put16(f, 4);
    Put16(f, 16);
    if (withExtraSize) Put16(f, 0);
    return f;
}

Bytes Wave(const Bytes& chunks) {
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, std::uint32_t(4 + chunks.size()));
    PutId(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

class SoundTest : public GameTest {
  protected:
    fs::path dir, home;

    void SetUp() override {
        GameTest::SetUp();
        home = fs::current_path();
        dir = fs::temp_directory_path() /
              ("sound_slots_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        fs::current_path(dir); // the game reads its files from where it runs
    }
    void TearDown() override {
        GameTest::TearDown();
        fs::current_path(home);
        fs::remove_all(dir);
    }

    void Write(const char* name, const Bytes& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void CopyGameFile(const char* name) {
        fs::copy_file(fs::path(SKIRMO_DATA_DIR) / name, dir / name);
    }

    void StartSound() {
        OpenWindow();
        ASSERT_EQ(InitSound(), 1);
        ASSERT_NE(SoundDevice, nullptr);
    }

    // The samples a slot's buffer holds, read back through a lock.
    Bytes SlotSamples(int slot) {
        LPDIRECTSOUNDBUFFER b = SoundSlots[slot].Buffer;
        if (!b) return {};
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        if (b->Lock(0, 0, &p1, &n1, &p2, &n2, 0) != DS_OK) return {};
        Bytes out(static_cast<std::uint8_t*>(p1), static_cast<std::uint8_t*>(p1) + n1);
        b->Unlock(p1, n1, p2, n2);
        return out;
    }

    // Loading's sequence: each file into the next slot, then its frequency and volume.
    void LoadTheGameSlots() {
        const struct {
            const char* file;
            DWORD hz;
            int percent;
        } table[] = {{"plyrshot.voc", 7000, 80},  {"pickup.voc", 11020, 80}, {"boom.voc", 8000, 80},
                     {"plyrshot.voc", 11000, 80}, {"pickup.voc", 10000, 80}, {"boom.voc", 9000, 80},
                     {"terrible.wav", 22000, 100}};
        for (int slot = 0; slot < 7; ++slot) {
            if (slot < 6)
                LoadVocSound(table[slot].file);
            else
                LoadWavSound(table[slot].file, 224);
            SetSlotFrequency(slot, table[slot].hz);
            SetSlotVolume(slot, table[slot].percent);
        }
    }

    // What playing a slot records: "file frequency volume", or "" when nothing sounded.
    std::string Played(int slot) {
        TestEvents().clear();
        StopSoundSlot(slot);
        EXPECT_EQ(PlaySoundSlot(slot, 0), 1);
        for (const TestEvent& e : TestEvents())
            if (e.kind == "sound" && e.op == "play")
                return e.file + " " + std::to_string(e.frequency) + " " + std::to_string(e.volume);
        return "";
    }
};

TEST(VocSamples, TheFirstBlockLengthCountsTwoBytesBeforeTheSamples) {
    Bytes file = Voc(1002, Ramp(1000));
    std::size_t offset = 0, count = 0;
    ASSERT_TRUE(FindVocSamples(file.data(), file.size(), offset, count));
    EXPECT_EQ(offset, 32u);
    EXPECT_EQ(count, 1000u);

    // A block that ends exactly at the end of the file is whole; one byte more is not.
    Bytes exact = Voc(12, Ramp(10));
    EXPECT_TRUE(FindVocSamples(exact.data(), exact.size(), offset, count));
    EXPECT_EQ(count, 10u);
    Bytes truncated = Voc(13, Ramp(10));
    EXPECT_FALSE(FindVocSamples(truncated.data(), truncated.size(), offset, count));
    Bytes huge = Voc(0xFFFFFF, Ramp(10));
    EXPECT_FALSE(FindVocSamples(huge.data(), huge.size(), offset, count));
}

TEST(VocSamples, FilesTooShortToHoldABlockAreRefused) {
    std::size_t offset = 0, count = 0;
    Bytes file = Voc(1002, Ramp(1000));
    // Each prefix is its own allocation, so a read past it is a read past the file.
    for (std::size_t size : {0u, 20u, 21u, 29u}) {
        Bytes cut(file.begin(), file.begin() + std::ptrdiff_t(size));
        EXPECT_FALSE(FindVocSamples(cut.data(), cut.size(), offset, count)) << size;
    }
    for (std::uint32_t length : {0u, 1u}) {
        Bytes tiny = Voc(length, {});
        EXPECT_FALSE(FindVocSamples(tiny.data(), tiny.size(), offset, count)) << length;
    }
    // Only the low byte of the block's offset counts; pointing it past the file is refused.
    file[20] = 250;
    file[21] = 0;
    Bytes shortFile(file.begin(), file.begin() + 200);
    EXPECT_FALSE(FindVocSamples(shortFile.data(), shortFile.size(), offset, count));
}

TEST_F(SoundTest, AVoiceFileLoadsItsFirstBlockIntoTheLowestFreeSlot) {
    StartSound();
    Bytes samples = Ramp(1000);
    Write("ramp.voc", Voc(1002, samples));
    EXPECT_EQ(LoadVocSound("ramp.voc"), 0);
    EXPECT_EQ(LoadVocSound("ramp.voc"), 1);
    EXPECT_EQ(SlotSamples(0), samples);
    EXPECT_EQ(SoundSlots[1].InUse, 1);
    EXPECT_EQ(GetSlotStatus(0), 0);
    EXPECT_EQ(GetSlotStatus(2), -1);
}

TEST_F(SoundTest, BadVoiceFilesLoadNothingButKeepTheirSlot) {
    StartSound();
    Write("truncated.voc", Voc(1002, Ramp(999)));
    Write("short.voc", Bytes(20, 'V'));
    Write("oversized.voc", Voc(1002, Ramp(1000)));
    fs::resize_file(dir / "oversized.voc", (std::uintmax_t(16) << 20) + 1); // sparse, quick
    Write("good.voc", Voc(12, Ramp(10)));
    EXPECT_EQ(LoadVocSound("truncated.voc"), -1);
    EXPECT_EQ(LoadVocSound("short.voc"), -1);
    EXPECT_EQ(LoadVocSound("oversized.voc"), -1);
    EXPECT_EQ(LoadVocSound("missing.voc"), -1);
    EXPECT_EQ(LoadVocSound("good.voc"), 4);
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(SoundSlots[slot].InUse, 1);
        EXPECT_EQ(SoundSlots[slot].Buffer, nullptr);
    }
}

TEST_F(SoundTest, AWaveFileFindsItsFormatWhereverItStands) {
    StartSound();
    Bytes samples = Ramp(301);
    Bytes withList;
    PutChunk(withList, "LIST", Bytes{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 2, 0, 0, 0, 'x', 0});
    PutChunk(withList, "fmt ", Format(WAVE_FORMAT_PCM, true));
    PutChunk(withList, "data", samples);
    Write("list.wav", Wave(withList));

    // A 16-byte format: the 18-byte read takes two bytes of the data chunk's header along.
    Bytes shortFormat;
    PutChunk(shortFormat, "fmt ", Format(WAVE_FORMAT_PCM, false));
    PutChunk(shortFormat, "data", samples);
    Write("short.wav", Wave(shortFormat));

    EXPECT_EQ(LoadWavSound("list.wav", 224), 0);
    EXPECT_EQ(LoadWavSound("short.wav", 224), 1);
    // 16-bit stereo data is still taken as 8-bit mono samples, byte for byte.
    EXPECT_EQ(SlotSamples(0), samples);
    EXPECT_EQ(SlotSamples(1), samples);
    EXPECT_EQ(SetSlotFrequency(0, 22000), 1) << "224 asks for the frequency control";
    EXPECT_EQ(SetSlotVolume(0, 100), 1);
}

TEST_F(SoundTest, WaveFilesThatAreNotPlainSamplesAreRefused) {
    StartSound();
    Bytes adpcm;
    PutChunk(adpcm, "fmt ", Format(2, true));
    PutChunk(adpcm, "data", Ramp(100));
    Write("adpcm.wav", Wave(adpcm));
    Bytes noData;
    PutChunk(noData, "fmt ", Format(WAVE_FORMAT_PCM, true));
    Write("nodata.wav", Wave(noData));
    Write("notriff.wav", Voc(12, Ramp(10)));
    // A data chunk that claims more than the file holds gives what the file holds.
    Bytes cut;
    PutChunk(cut, "fmt ", Format(WAVE_FORMAT_PCM, true));
    PutChunk(cut, "data", Ramp(100), 1u << 30);
    Write("cut.wav", Wave(cut));

    EXPECT_EQ(LoadWavSound("adpcm.wav", 224), -1);
    EXPECT_EQ(LoadWavSound("nodata.wav", 224), -1);
    EXPECT_EQ(LoadWavSound("notriff.wav", 224), -1);
    EXPECT_EQ(LoadWavSound("missing.wav", 224), -1);
    EXPECT_EQ(LoadWavSound("cut.wav", 224), 4);
    EXPECT_EQ(SlotSamples(4), Ramp(100));
}

TEST_F(SoundTest, LoadingFillsEverySlotWithItsFileFrequencyAndVolume) {
    for (const char* f : {"plyrshot.voc", "pickup.voc", "boom.voc", "terrible.wav"})
        CopyGameFile(f);
    StartSound();
    LoadTheGameSlots();
    // Volume in hundredths of a decibel: 80 percent is 6 dB down.
    EXPECT_EQ(Played(0), "plyrshot.voc 7000 -600");
    EXPECT_EQ(Played(1), "pickup.voc 11020 -600");
    EXPECT_EQ(Played(2), "boom.voc 8000 -600");
    EXPECT_EQ(Played(3), "plyrshot.voc 11000 -600");
    EXPECT_EQ(Played(4), "pickup.voc 10000 -600");
    EXPECT_EQ(Played(5), "boom.voc 9000 -600");
    EXPECT_EQ(Played(6), "terrible.wav 22000 0");
}

TEST_F(SoundTest, AMissingFileSilencesOnlyItsOwnSlots) {
    for (const char* f : {"pickup.voc", "boom.voc", "terrible.wav"})
        CopyGameFile(f);
    StartSound();
    LoadTheGameSlots();
    EXPECT_EQ(Played(0), "");
    EXPECT_EQ(Played(1), "pickup.voc 11020 -600");
    EXPECT_EQ(Played(2), "boom.voc 8000 -600");
    EXPECT_EQ(Played(3), "");
    EXPECT_EQ(Played(4), "pickup.voc 10000 -600");
    EXPECT_EQ(Played(5), "boom.voc 9000 -600");
    EXPECT_EQ(Played(6), "terrible.wav 22000 0");
    EXPECT_EQ(SoundSlots[7].InUse, 0) << "the table's seven slots, no more";
}

TEST_F(SoundTest, TriggeringASlotAgainRestartsItFromItsBeginning) {
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
    ASSERT_EQ(PlaySoundSlot(0, 0), 1);
    std::vector<float> first = mix(100);
    EXPECT_EQ(GetSlotStatus(0), long(DSBSTATUS_PLAYING));
    std::vector<float> later = mix(100);
    EXPECT_NE(later, first);

    StopSoundSlot(0);
    EXPECT_EQ(GetSlotStatus(0), 0);
    EXPECT_EQ(mix(100), std::vector<float>(200, 0.0f)) << "stopped means silent";
    ASSERT_EQ(PlaySoundSlot(0, 0), 1);
    EXPECT_EQ(mix(100), first) << "a stopped slot starts over";
    // Played again while it plays: cut off and started over.
    ASSERT_EQ(PlaySoundSlot(0, 0), 1);
    EXPECT_EQ(mix(100), first);
    EXPECT_NE(mix(2000), std::vector<float>(4000, 0.0f));
    EXPECT_EQ(GetSlotStatus(0), 0) << "a slot plays once and stops at its end";
}

TEST_F(SoundTest, WithoutSoundNothingIsTouchedAndEverythingSucceeds) {
    TestOptions o;
    o.failure.step = TestFailure::Sound; // would fail, were the service asked
    Start(o);
    CopyGameFile("plyrshot.voc");
    OpenWindow();
    SoundEnabled = 0;
    EXPECT_EQ(InitSound(), 1);
    EXPECT_EQ(SoundDevice, nullptr);
    EXPECT_EQ(LoadVocSound("plyrshot.voc"), 1);
    EXPECT_EQ(LoadWavSound("terrible.wav", 224), 1);
    for (const SoundSlot& s : SoundSlots)
        EXPECT_EQ(s.InUse, 0);
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
    EXPECT_NE(boxes[0].text.find("could not be opened"), std::string::npos);
    EXPECT_NE(boxes[0].text.find("\"Check this if you don't have a sound card\""),
              std::string::npos);
}

TEST_F(SoundTest, TheReplayRunnerShowsTheMessageAndTheProgramEnds) {
    std::string log = (dir / "fail.jsonl").string();
    std::string command = std::string(SKIRMO_REPLAY) + " --data " + SKIRMO_DATA_DIR +
                          " --fail sound --until 60 --log " + log + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(log);
    std::vector<std::string> events;
    for (std::string line; std::getline(in, line);)
        events.push_back(line.substr(line.find("\"event\":")));
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].rfind(R"("event":"message_box","caption":"Sound initialization error")", 0),
              0u);
    EXPECT_EQ(events[1], R"("event":"quit","code":0})");
    EXPECT_EQ(events[2], R"("event":"end","why":"program ended"})");
}

TEST_F(SoundTest, ReleasingStopsAndFreesEverySlotAndTheDevice) {
    StartSound();
    Write("ramp.voc", Voc(1002, Ramp(1000)));
    ASSERT_EQ(LoadVocSound("ramp.voc"), 0);
    ASSERT_EQ(DuplicateSoundSlot(0), 1);
    PlaySoundSlot(1, 0);
    EXPECT_EQ(ReleaseSound(), 1);
    EXPECT_EQ(SoundDevice, nullptr);
    EXPECT_EQ(SoundSlots[0].Buffer, nullptr);
    EXPECT_EQ(SoundSlots[1].Buffer, nullptr);
    EXPECT_EQ(PlaySoundSlot(1, 0), 1) << "nothing left to play";
}

} // namespace
