// The RIFF reader the wave loader walks: finding the WAVE form, its format and data chunks, and
// staying inside the file whatever sizes the chunk headers claim.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/dsound.h"
#include "platform/mmsystem.h"

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

// A chunk with an id, a claimed size and its bytes (padded to even as a writer would).
void PutChunk(Bytes& b, const char* id, std::uint32_t claimed, const Bytes& data) {
    PutId(b, id);
    Put32(b, claimed);
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
}

// The format of 8-bit mono PCM at rate, 16 bytes long, or 18 with the cbSize field.
Bytes Format(std::uint32_t rate, bool withCbSize) {
    Bytes f;
    Put16(f, WAVE_FORMAT_PCM);
    Put16(f, 1);
    Put32(f, rate);
    Put32(f, rate);
    Put16(f, 1);
    Put16(f, 8);
    if (withCbSize) Put16(f, 0);
    return f;
}

// RIFF/WAVE around the given chunks; riffSize 0 means the true size.
Bytes Wave(const Bytes& chunks, std::uint32_t riffSize = 0) {
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, riffSize ? riffSize : std::uint32_t(4 + chunks.size()));
    PutId(b, "WAVE");
    b.insert(b.end(), chunks.begin(), chunks.end());
    return b;
}

Bytes Samples(int n) {
    Bytes s;
    for (int i = 0; i < n; ++i)
        s.push_back(std::uint8_t(100 + i));
    return s;
}

class RiffTest : public ::testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        // Named by process too: other builds may run the same test at the same time.
        dir = fs::temp_directory_path() /
              ("sound_riff_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const char* name, const Bytes& bytes) {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p.string();
    }

    // The wave loader's walk: the WAVE form, 18 bytes of its format, then its data.
    struct Loaded {
        UINT riff = 1, fmt = 1, data = 1;
        LONG formatRead = -2;
        WAVEFORMATEX format{};
        MMCKINFO dataChunk{};
        Bytes samples;
        LONG samplesRead = -2;
    };
    static Loaded Load(const std::string& path) {
        Loaded r;
        HMMIO f = mmioOpenA(path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
        EXPECT_NE(f, nullptr);
        if (!f) return r;
        MMCKINFO parent{};
        parent.fccType = mmioFOURCC('W', 'A', 'V', 'E');
        r.riff = mmioDescend(f, &parent, nullptr, MMIO_FINDRIFF);
        if (r.riff == MMSYSERR_NOERROR) {
            MMCKINFO child{};
            child.ckid = mmioFOURCC('f', 'm', 't', ' ');
            r.fmt = mmioDescend(f, &child, &parent, MMIO_FINDCHUNK);
            if (r.fmt == MMSYSERR_NOERROR) {
                r.formatRead = mmioRead(f, reinterpret_cast<char*>(&r.format), sizeof r.format);
                mmioAscend(f, &child, 0);
                r.dataChunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
                r.data = mmioDescend(f, &r.dataChunk, &parent, MMIO_FINDCHUNK);
                if (r.data == MMSYSERR_NOERROR) {
                    r.samples.assign(r.dataChunk.cksize, 0);
                    r.samplesRead = mmioRead(f, reinterpret_cast<char*>(r.samples.data()),
                                             LONG(r.samples.size()));
                }
            }
        }
        mmioClose(f, 0);
        return r;
    }
};

TEST_F(RiffTest, ReadsAStandardWaveFile) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", 18, Format(11025, true));
    PutChunk(chunks, "data", 9, Samples(9));
    Loaded r = Load(Write("standard.wav", Wave(chunks)));
    ASSERT_EQ(r.riff, MMSYSERR_NOERROR);
    ASSERT_EQ(r.fmt, MMSYSERR_NOERROR);
    EXPECT_EQ(r.formatRead, 18);
    EXPECT_EQ(r.format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(r.format.nChannels, 1);
    EXPECT_EQ(r.format.nSamplesPerSec, 11025u);
    EXPECT_EQ(r.format.wBitsPerSample, 8);
    ASSERT_EQ(r.data, MMSYSERR_NOERROR);
    EXPECT_EQ(r.dataChunk.cksize, 9u);
    EXPECT_EQ(r.dataChunk.dwDataOffset, 12u + 8u + 18u + 8u);
    EXPECT_EQ(r.samplesRead, 9);
    EXPECT_EQ(r.samples, Samples(9));
}

TEST_F(RiffTest, SkipsOtherChunksWithTheirPadding) {
    // An odd-sized chunk before the format and a list between format and data.
    Bytes list;
    PutId(list, "INFO");
    PutChunk(list, "ICMT", 3, Bytes{'a', 'b', 'c'});
    Bytes chunks;
    PutChunk(chunks, "junk", 5, Bytes{1, 2, 3, 4, 5});
    PutChunk(chunks, "fmt ", 18, Format(22050, true));
    PutChunk(chunks, "LIST", std::uint32_t(list.size()), list);
    PutChunk(chunks, "data", 4, Samples(4));
    Loaded r = Load(Write("padded.wav", Wave(chunks)));
    ASSERT_EQ(r.data, MMSYSERR_NOERROR);
    EXPECT_EQ(r.format.nSamplesPerSec, 22050u);
    EXPECT_EQ(r.samples, Samples(4));
}

TEST_F(RiffTest, ShortFormatChunkStillReadsAndTheDataIsFound) {
    // A 16-byte format: the 18-byte read runs 2 bytes into the next chunk's header ("da"), and
    // ascending goes back to the format's real end, so the data is still found.
    Bytes chunks;
    PutChunk(chunks, "fmt ", 16, Format(8000, false));
    PutChunk(chunks, "data", 6, Samples(6));
    Loaded r = Load(Write("short_fmt.wav", Wave(chunks)));
    ASSERT_EQ(r.fmt, MMSYSERR_NOERROR);
    EXPECT_EQ(r.formatRead, 18);
    EXPECT_EQ(r.format.nSamplesPerSec, 8000u);
    EXPECT_EQ(r.format.cbSize, 'd' | ('a' << 8));
    ASSERT_EQ(r.data, MMSYSERR_NOERROR);
    EXPECT_EQ(r.samples, Samples(6));

    // With the format last in the file, the read gets what is there and no more.
    Bytes alone;
    PutChunk(alone, "fmt ", 16, Format(8000, false));
    r = Load(Write("fmt_last.wav", Wave(alone)));
    ASSERT_EQ(r.fmt, MMSYSERR_NOERROR);
    EXPECT_EQ(r.formatRead, 16);
    EXPECT_EQ(r.data, MMIOERR_CHUNKNOTFOUND);
}

TEST_F(RiffTest, ChunkSizesBeyondTheFileStopAtItsEnd) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", 18, Format(11025, true));
    PutChunk(chunks, "data", 5000, Samples(10)); // claims 5000, holds 10
    std::string path = Write("truncated.wav", Wave(chunks, 100000));
    Loaded r = Load(path);
    ASSERT_EQ(r.data, MMSYSERR_NOERROR);
    EXPECT_EQ(r.dataChunk.cksize, 5000u);
    EXPECT_EQ(r.samplesRead, 10);
    EXPECT_TRUE(std::equal(r.samples.begin(), r.samples.begin() + 10, Samples(10).begin()));

    // Once at the end, reads give 0; looking for another chunk finds none and stays put.
    HMMIO f = mmioOpenA(path.c_str(), nullptr, MMIO_READ);
    ASSERT_NE(f, nullptr);
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    MMCKINFO data{};
    data.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    ASSERT_EQ(mmioAscend(f, &data, 0), MMSYSERR_NOERROR);
    char buffer[8];
    EXPECT_EQ(mmioRead(f, buffer, sizeof buffer), 0);
    MMCKINFO more{};
    more.ckid = mmioFOURCC('c', 'u', 'e', ' ');
    EXPECT_EQ(mmioDescend(f, &more, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(mmioRead(f, buffer, -1), -1);
    mmioClose(f, 0);
}

TEST_F(RiffTest, ChunksAfterTheFormEndAreNotInsideIt) {
    Bytes chunks;
    PutChunk(chunks, "fmt ", 18, Format(11025, true));
    Bytes file = Wave(chunks);
    PutChunk(file, "data", 4, Samples(4)); // outside the RIFF chunk
    Loaded r = Load(Write("outside.wav", file));
    ASSERT_EQ(r.fmt, MMSYSERR_NOERROR);
    EXPECT_EQ(r.data, MMIOERR_CHUNKNOTFOUND);
}

TEST_F(RiffTest, MissingAndForeignFilesAreRefused) {
    EXPECT_EQ(mmioOpenA((dir / "none.wav").string().c_str(), nullptr, MMIO_READ), nullptr);
    EXPECT_EQ(mmioOpenA(nullptr, nullptr, MMIO_READ), nullptr);

    Bytes text{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e', ' ', 'f', 'i', 'l', 'e', '\n'};
    HMMIO f = mmioOpenA(Write("text.wav", text).c_str(), nullptr, MMIO_READ);
    ASSERT_NE(f, nullptr);
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    EXPECT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
    mmioClose(f, 0);

    // A RIFF file of another form is not a wave either.
    Bytes avi;
    PutId(avi, "RIFF");
    Put32(avi, 4);
    PutId(avi, "AVI ");
    f = mmioOpenA(Write("form.avi", avi).c_str(), nullptr, MMIO_READ);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
    mmioClose(f, 0);

    // An empty file opens but holds no chunk.
    f = mmioOpenA(Write("empty.wav", Bytes{}).c_str(), nullptr, MMIO_READ);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND);
    char c;
    EXPECT_EQ(mmioRead(f, &c, 1), 0);
    mmioClose(f, 0);
}

} // namespace
