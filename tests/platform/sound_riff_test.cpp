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

// Little-endian, as RIFF stores numbers.
void Put(Bytes& b, std::uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}
void PutId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(id[i]));
}

// A chunk with an id, a claimed size and its bytes (padded to even as a writer would).
void PutChunk(Bytes& b, const char* id, std::uint32_t claimed, const Bytes& data) {
    PutId(b, id);
    Put(b, claimed);
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
}

// The format of 8-bit mono PCM at rate, 16 bytes long, or 18 with the cbSize field.
Bytes Format(std::uint32_t rate, bool withCbSize) {
    Bytes f;
    Put(f, WAVE_FORMAT_PCM, 2), Put(f, 1, 2), Put(f, rate), Put(f, rate), Put(f, 1, 2),
        Put(f, 8, 2);
    if (withCbSize) Put(f, 0, 2);
    return f;
}

// RIFF/WAVE around the given chunks; riffSize 0 means the true size.
Bytes Wave(const Bytes& chunks, std::uint32_t riffSize = 0) {
    Bytes b;
    PutId(b, "RIFF");
    Put(b, riffSize ? riffSize : std::uint32_t(4 + chunks.size()));
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

// An odd-sized chunk before the format and a list between format and data are skipped with
// their padding.
TEST_F(RiffTest, ReadsAWaveFileSkippingOtherChunks) {
    Bytes list;
    PutId(list, "INFO");
    PutChunk(list, "ICMT", 3, Bytes{'a', 'b', 'c'});
    Bytes chunks;
    PutChunk(chunks, "junk", 5, Bytes{1, 2, 3, 4, 5});
    PutChunk(chunks, "fmt ", 18, Format(22050, true));
    PutChunk(chunks, "LIST", std::uint32_t(list.size()), list);
    PutChunk(chunks, "data", 9, Samples(9));
    Loaded r = Load(Write("padded.wav", Wave(chunks)));
    ASSERT_EQ(r.riff, MMSYSERR_NOERROR);
    ASSERT_EQ(r.fmt, MMSYSERR_NOERROR);
    EXPECT_EQ(r.formatRead, 18);
    const auto* format = reinterpret_cast<const std::uint8_t*>(&r.format);
    EXPECT_EQ(Bytes(format, format + 18), Format(22050, true));
    ASSERT_EQ(r.data, MMSYSERR_NOERROR);
    EXPECT_EQ(r.dataChunk.cksize, 9u);
    EXPECT_EQ(r.dataChunk.dwDataOffset, chunks.size() + 12 - 10); // 9 samples and a pad byte
    EXPECT_EQ(r.samplesRead, 9);
    EXPECT_EQ(r.samples, Samples(9));
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
    // Text, a RIFF file of another form, and an empty file open but hold no wave.
    Bytes avi;
    PutId(avi, "RIFF");
    Put(avi, 4);
    PutId(avi, "AVI ");
    const std::string text = "not a wave file\n";
    for (const Bytes& bytes : {Bytes(text.begin(), text.end()), avi, Bytes{}}) {
        HMMIO f = mmioOpenA(Write("foreign", bytes).c_str(), nullptr, MMIO_READ);
        ASSERT_NE(f, nullptr);
        MMCKINFO riff{};
        riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
        EXPECT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), MMIOERR_CHUNKNOTFOUND)
            << bytes.size();
        mmioClose(f, 0);
    }
    HMMIO empty = mmioOpenA(Write("empty", Bytes{}).c_str(), nullptr, MMIO_READ);
    char c;
    EXPECT_EQ(mmioRead(empty, &c, 1), 0);
    mmioClose(empty, 0);
}

} // namespace
