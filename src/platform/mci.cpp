// mci.cpp -- the MIDI sequencer's string commands, read the same way on both platforms
//
// Only the five forms the game sends are understood, each with one alias; the backend plays.
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "backend.h"
#include "files.h"
#include "mmsystem.h"

namespace {

constexpr DWORD MciErrorUnrecognisedCommand = 261;
constexpr DWORD MciErrorFileNotFound = 275;
constexpr DWORD MciErrorInvalidDeviceName = 263;
constexpr DWORD MciErrorBadFile = 296;

std::string OpenAlias; // the one alias that is open, or empty

// Far beyond any piece of music; a bigger file is not one.
constexpr std::size_t MaxPieceBytes = std::size_t(16) << 20;

std::uint32_t Be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// A variable-length quantity of at most four bytes at p, not reading at or past end.
bool ReadVarLen(const std::uint8_t*& p, const std::uint8_t* end, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (p >= end) return false;
        std::uint8_t b = *p++;
        value = (value << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return false;
}

// Every event of one track chunk, from its first byte to exactly its end, the last being the
// end of the track. Running status is taken after channel messages (and kept across meta and
// system-exclusive events, as players do).
bool TrackParses(const std::uint8_t* p, const std::uint8_t* end) {
    std::uint8_t status = 0;
    while (p < end) {
        std::uint32_t delta = 0, length = 0;
        if (!ReadVarLen(p, end, delta) || p >= end) return false;
        std::uint8_t first = *p;
        if (first == 0xFF) { // meta event: type, length, data
            if (end - p < 2) return false;
            std::uint8_t type = p[1];
            p += 2;
            if (!ReadVarLen(p, end, length) || length > std::uint32_t(end - p)) return false;
            p += length;
            if (type == 0x2F) return length == 0 && p == end;
        } else if (first == 0xF0 || first == 0xF7) { // system exclusive: length, data
            ++p;
            if (!ReadVarLen(p, end, length) || length > std::uint32_t(end - p)) return false;
            p += length;
        } else {
            if (first & 0x80) {
                if (first >= 0xF0) return false; // no other system messages in a file
                status = first;
                ++p;
            } else if (!status) {
                return false; // running status with nothing to run on
            }
            int data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
            if (end - p < data) return false;
            for (int i = 0; i < data; ++i)
                if (p[i] & 0x80) return false;
            p += data;
        }
    }
    return false; // the track ran out before its end
}

} // namespace

bool IsPlayableMidi(const std::vector<std::uint8_t>& f) {
    // The header: exactly 6 bytes of format 0 to 2, at least one track, and the pulses per
    // quarter note. SMPTE time codes (the top bit of the division) are refused: the player
    // would take them as ticks per quarter note and play at a wrong speed.
    if (f.size() < 14 || std::memcmp(f.data(), "MThd", 4) != 0 || Be32(f.data() + 4) != 6)
        return false;
    unsigned format = unsigned(f[8]) << 8 | f[9];
    unsigned tracks = unsigned(f[10]) << 8 | f[11];
    unsigned division = unsigned(f[12]) << 8 | f[13];
    if (format > 2 || tracks == 0 || (format == 0 && tracks != 1) || division == 0 ||
        (division & 0x8000))
        return false;
    // Then chunks to the end of the file: every track the header promises, each parsing within
    // its chunk; chunks of other kinds are skipped, as the format allows.
    std::size_t at = 14;
    unsigned found = 0;
    while (at < f.size()) {
        if (f.size() - at < 8) return false;
        std::uint32_t length = Be32(f.data() + at + 4);
        if (length > f.size() - at - 8) return false;
        const std::uint8_t* data = f.data() + at + 8;
        if (std::memcmp(f.data() + at, "MTrk", 4) == 0) {
            if (!TrackParses(data, data + length)) return false;
            ++found;
        }
        at += 8 + std::size_t(length);
    }
    return found == tracks;
}

namespace {

DWORD Carry(const std::vector<std::string>& w, const char* command) {
    bool open =
        w.size() == 6 && w[0] == "open" && w[2] == "type" && w[3] == "sequencer" && w[4] == "alias";
    if (open) {
        if (!OpenAlias.empty()) return MciErrorInvalidDeviceName; // one piece at a time
        std::vector<std::uint8_t> piece;
        GameFileRead read = ReadGameFile(w[1].c_str(), MaxPieceBytes, piece);
        if (read == GameFileRead::Missing) return MciErrorFileNotFound;
        // Checked here: a player would take any file and only fail once it plays.
        if (read != GameFileRead::Read || !IsPlayableMidi(piece)) return MciErrorBadFile;
        DWORD result = BackendMci(MciVerb::Open, &piece, command);
        if (result == 0) OpenAlias = w[5];
        return result;
    }
    if (w.size() < 2 || OpenAlias.empty() || w[1] != OpenAlias)
        return w.empty() ? MciErrorUnrecognisedCommand : MciErrorInvalidDeviceName;
    if (w.size() == 4 && w[0] == "play" && w[2] == "from" && w[3] == "0")
        return BackendMci(MciVerb::PlayFromStart, nullptr, command);
    if (w.size() == 2 && w[0] == "play") return BackendMci(MciVerb::Play, nullptr, command);
    if (w.size() == 2 && w[0] == "stop") return BackendMci(MciVerb::Stop, nullptr, command);
    if (w.size() == 2 && w[0] == "close") {
        DWORD result = BackendMci(MciVerb::Close, nullptr, command);
        OpenAlias.clear();
        return result;
    }
    return MciErrorUnrecognisedCommand;
}

} // namespace

DWORD mciSendStringA(const char* command, char* returnString, UINT returnLength, HWND) {
    if (returnString && returnLength) returnString[0] = '\0';
    if (!command) return MciErrorUnrecognisedCommand;
    std::istringstream in(command);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    BackendCall(("mciSendStringA " + (words.empty() ? std::string() : words[0])).c_str());
    DWORD result = Carry(words, command);
    BackendMciSent(command, result);
    return result;
}

void ResetMci() { OpenAlias.clear(); }
