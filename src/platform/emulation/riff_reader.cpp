// riff_reader.cpp -- a small RIFF reader: open, descend into chunks, read, ascend, close
//
// The file is read whole into memory at open, so nothing after can fail halfway, and every
// read is bounded by the file's real size whatever its chunk headers claim.
#include <cstring>
#include <vector>

#include "platform/api/byte_order.h"
#include "platform/api/files.h"
#include "platform/api/mmsystem.h"

struct MmioFile {
    std::vector<std::uint8_t> bytes;
    std::size_t position = 0;
};

namespace {

constexpr FOURCC Riff = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC List = mmioFOURCC('L', 'I', 'S', 'T');

// Files beyond this size are not sound effects; refusing them keeps a bad file from eating memory.
constexpr std::size_t MaxFileBytes = std::size_t(64) << 20;

// Reads the chunk header at the current position into ck; false at the end of the data.
bool ReadHeader(MmioFile* f, MMCKINFO* ck, std::size_t end) {
    if (f->position + 8 > end) return false;
    const std::uint8_t* p = f->bytes.data() + f->position;
    ck->ckid = LittleEndian(p, 4);
    ck->cksize = LittleEndian(p + 4, 4);
    ck->fccType = 0;
    ck->dwFlags = 0;
    std::size_t data = f->position + 8;
    if (ck->ckid == Riff || ck->ckid == List) {
        if (data + 4 > end) return false;
        ck->fccType = LittleEndian(p + 8, 4);
        data += 4;
    }
    ck->dwDataOffset = DWORD(data);
    f->position = data;
    return true;
}

// The end of a chunk's data in the file, padded to an even size, never past the file.
std::size_t ChunkEnd(const MmioFile* f, const MMCKINFO* ck) {
    std::size_t start = ck->dwDataOffset;
    if (ck->ckid == Riff || ck->ckid == List) start -= 4;
    std::size_t end = start + std::size_t(ck->cksize) + (ck->cksize & 1);
    return end < f->bytes.size() ? end : f->bytes.size();
}

} // namespace

HMMIO mmioOpenA(const char* fileName, void*, DWORD flags) {
    if (!fileName || (flags & 0x3) != MMIO_READ) return nullptr;
    auto* f = new MmioFile;
    if (ReadGameFile(fileName, MaxFileBytes, f->bytes) != GameFileRead::Read) {
        delete f;
        return nullptr;
    }
    return f;
}

UINT mmioDescend(HMMIO f, MMCKINFO* ck, const MMCKINFO* parent, UINT flags) {
    if (!f || !ck) return MMIOERR_CHUNKNOTFOUND;
    std::size_t end = parent ? ChunkEnd(f, parent) : f->bytes.size();
    FOURCC wantId = ck->ckid, wantType = ck->fccType;
    std::size_t start = f->position;
    for (;;) {
        MMCKINFO found{};
        if (!ReadHeader(f, &found, end)) {
            f->position = start;
            return MMIOERR_CHUNKNOTFOUND;
        }
        bool match = !(flags & (MMIO_FINDCHUNK | MMIO_FINDRIFF)) ||
                     ((flags & MMIO_FINDCHUNK) && found.ckid == wantId) ||
                     ((flags & MMIO_FINDRIFF) && found.ckid == Riff && found.fccType == wantType);
        if (match) {
            *ck = found;
            return MMSYSERR_NOERROR;
        }
        f->position = ChunkEnd(f, &found);
    }
}

LONG mmioRead(HMMIO f, char* buffer, LONG count) {
    if (!f || !buffer || count < 0) return -1;
    std::size_t left = f->bytes.size() - f->position;
    std::size_t n = std::size_t(count) < left ? std::size_t(count) : left;
    // An empty file has no storage at all, and memcpy must not be handed a null source.
    if (n > 0) std::memcpy(buffer, f->bytes.data() + f->position, n);
    f->position += n;
    return LONG(n);
}

UINT mmioAscend(HMMIO f, MMCKINFO* ck, UINT) {
    if (!f || !ck) return MMIOERR_CHUNKNOTFOUND;
    f->position = ChunkEnd(f, ck);
    return MMSYSERR_NOERROR;
}

UINT mmioClose(HMMIO f, UINT) {
    delete f;
    return MMSYSERR_NOERROR;
}
