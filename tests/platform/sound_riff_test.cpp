// The RIFF reader the wave loader walks: finding the WAVE form, its format and data chunks, and
// staying inside the file whatever sizes the chunk headers claim.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "game_fixture.h"
#include "platform/api/dsound.h"
#include "platform/api/mmsystem.h"
#include "support/game_files.h"

namespace {

using namespace files;

// The format of 8-bit mono PCM at rate, 16 bytes long, or 18 with the cbSize field.
Bytes Format(std::uint32_t rate, bool withCbSize) {
    return files::Format(WAVE_FORMAT_PCM, 1, rate, 8, withCbSize);
}

Bytes Samples(int n) {
    Bytes s;
    for (int i = 0; i < n; ++i)
        s.push_back(std::uint8_t(100 + i));
    return s;
}

// Each test writes its files in a folder of its own, entered for the test.
class RiffTest : public ScratchFolderTest {
  protected:
    static std::string Write(const char* name, const Bytes& bytes) {
        files::Write(name, bytes);
        return name;
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
    Bytes list = Id("INFO") + Chunk("ICMT", {'a', 'b', 'c'});
    Bytes chunks = Chunk("junk", {1, 2, 3, 4, 5}) + Chunk("fmt ", Format(22050, true)) +
                   Chunk("LIST", list) + Chunk("data", Samples(9));
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

TEST_F(RiffTest, ChunkSizesBeyondTheFileStopAtItsEnd) {
    Bytes chunks = Chunk("fmt ", Format(11025, true)) +
                   Chunk("data", Samples(10), 5000); // claims 5000, holds 10
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

    // A form cut before its type: no wave in it, and nothing read past the file's end.
    EXPECT_EQ(Load(Write("cut.wav", files::Id("RIFF") + Bytes{4, 0, 0, 0})).riff,
              UINT(MMIOERR_CHUNKNOTFOUND));

    // A chunk after the form's end is not inside it.
    r = Load(
        Write("outside.wav", Wave(Chunk("fmt ", Format(11025, true))) + Chunk("data", Samples(4))));
    ASSERT_EQ(r.fmt, MMSYSERR_NOERROR);
    EXPECT_EQ(r.data, MMIOERR_CHUNKNOTFOUND);
}

} // namespace
