// mmsystem.h -- reading RIFF files chunk by chunk, and the MIDI sequencer's string commands
#pragma once

#include "wintypes.h"

using FOURCC = DWORD;
struct MmioFile;
using HMMIO = MmioFile*;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
    return FOURCC(BYTE(a)) | (FOURCC(BYTE(b)) << 8) | (FOURCC(BYTE(c)) << 16) |
           (FOURCC(BYTE(d)) << 24);
}

constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMSYSERR_NOERROR = 0;
constexpr UINT MMIOERR_CHUNKNOTFOUND = 265;

struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;     // the form type of a RIFF chunk
    DWORD dwDataOffset; // where the chunk's data starts in the file
    DWORD dwFlags;
};

// Opens a file for reading chunk by chunk; null when it cannot be read.
HMMIO mmioOpenA(const char* fileName, void* info, DWORD flags);
// Descends into the chunk at the current position (flags 0), or searches within parent (or
// the file) for a chunk of id ck->ckid (MMIO_FINDCHUNK) or a RIFF chunk of form ck->fccType
// (MMIO_FINDRIFF). Fills ck and leaves the position at the chunk's data.
UINT mmioDescend(HMMIO file, MMCKINFO* ck, const MMCKINFO* parent, UINT flags);
// Reads up to count bytes; returns the number read, 0 at the end, -1 on error. Never reads past
// the end of the file.
LONG mmioRead(HMMIO file, char* buffer, LONG count);
// Moves past the end of the chunk ck (padded to an even size).
UINT mmioAscend(HMMIO file, MMCKINFO* ck, UINT flags);
UINT mmioClose(HMMIO file, UINT flags);

// The MIDI sequencer, driven by strings. Understands exactly:
//   "open FILE type sequencer alias NAME", "play NAME from 0", "play NAME", "stop NAME",
//   "close NAME" ("play NAME" only for ResumeMusic, designed with the others and never called).
// Returns 0 on success; opening a missing file or one that is not a Standard MIDI File fails, as
// does anything else.
DWORD mciSendStringA(const char* command, char* returnString, UINT returnLength, HWND callback);
