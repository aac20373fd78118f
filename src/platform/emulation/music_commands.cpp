// music_commands.cpp -- the MIDI sequencer's string commands, read the same way on both platforms
//
// Only the five forms the game sends are understood, each with one alias; the backend plays.
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "backend.h"
#include "platform/api/byte_order.h"
#include "platform/api/files.h"
#include "platform/api/mmsystem.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"

namespace {

constexpr DWORD MciErrorUnrecognisedCommand = 261;
constexpr DWORD MciErrorFileNotFound = 275;
constexpr DWORD MciErrorInvalidDeviceName = 263;
constexpr DWORD MciErrorBadFile = 296;

std::string OpenAlias; // the one alias that is open, or empty

// Far beyond any piece this game plays, and small enough that reading one (opening reads it
// twice) never holds the game up for long. A bigger file is not a piece of music.
constexpr std::size_t MaxPieceBytes = std::size_t(1) << 20;

// A Standard MIDI File read the way the synthesizer's loader reads it, rule for rule, so that a
// file opens exactly when the synthesizer would play something of it. Its rules are narrower
// and odder than the format's: it refuses what it does not know (an escaped system-exclusive
// event, a time signature of the wrong length, any chunk where a track should begin), passes
// over what it does not check (a data byte over 127, a track without its end, bytes after the
// last track), reads an event on past its track's end, and keeps running status across meta
// events and tracks.
struct MidiReader {
    const std::vector<std::uint8_t>& file;
    std::size_t at = 14;  // may lie past the end after a skip
    int readAhead = -1;   // a data byte given back under running status
    long trackAt = 0;     // bytes read of the current track
    long trackLength = 0; // as declared, read signed
    bool trackEnded = false;
    int running = -1;      // the last status byte, of any kind
    std::int64_t time = 0; // ticks into the current track
    bool content = false;  // an event the player would send, or a track that lasts

    int Byte() {
        if (readAhead >= 0) return std::exchange(readAhead, -1);
        if (at >= file.size()) return -1;
        ++trackAt;
        return file[at++];
    }
    // Moves past n bytes, which must all be there.
    bool Skip(std::uint32_t n) {
        if (at > file.size() || n > file.size() - at) return false;
        at += n;
        trackAt += long(n);
        return true;
    }
    bool VarLen(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            int c = Byte();
            if (c < 0) return false;
            if (!(c & 0x80)) {
                value += std::uint32_t(c);
                return true;
            }
            value = (value | std::uint32_t(c & 0x7F)) << 7;
        }
        return false;
    }
    // The player keeps this event: something to send, or an end that makes the track last.
    void Kept(bool endOfTrack) { content = content || !endOfTrack || time > 0; }

    bool Event() {
        std::uint32_t delta = 0, length = 0;
        if (!VarLen(delta)) return false;
        time += delta;
        int status = Byte();
        if (status < 0) return false;
        if (!(status & 0x80)) {
            if (running < 0) return false;
            readAhead = status;
            status = running;
        }
        running = status;
        if (status == 0xF0) { // system exclusive; an empty one is dropped
            if (!VarLen(length) || (length && !Skip(length))) return false;
            if (length) Kept(false);
            return true;
        }
        if (status == 0xFF) { // meta event: those of a fixed length must have it
            int type = Byte();
            if (type < 0 || !VarLen(length) || (length && !Skip(length))) return false;
            const std::pair<int, std::uint32_t> fixed[] = {
                {0x2F, 0}, {0x51, 3}, {0x54, 5}, {0x58, 4}, {0x59, 2}};
            for (auto [kind, size] : fixed)
                if (type == kind && length != size) return false;
            if (type == 0x2F) trackEnded = true;
            // Of the meta events only the end, the tempo, text and lyrics are kept.
            if (type == 0x2F || type == 0x51 || type == 0x01 || type == 0x05) Kept(type == 0x2F);
            return true;
        }
        int kind = status & 0xF0;
        if (Byte() < 0) return false;
        if (kind == 0x80 || kind == 0x90 || kind == 0xA0 || kind == 0xB0 || kind == 0xE0) {
            if (Byte() < 0) return false;
        } else if (kind != 0xC0 && kind != 0xD0) {
            return false; // any other system message, the escape F7 among them
        }
        Kept(false);
        return true;
    }

    bool Track() {
        if (at > file.size() || file.size() - at < 8) return false;
        const std::uint8_t* head = file.data() + at;
        // Any other chunk where a track should begin is the end of loading: the loader fails
        // on it or, for a length past 2 GiB, seeks back and reads the same length for ever.
        if (std::memcmp(head, "MTrk", 4) != 0) return false;
        trackLength = long(std::int32_t(BigEndian(head + 4, 4)));
        at += 8;
        trackAt = 0;
        trackEnded = false;
        time = 0;
        while (!trackEnded && trackAt < trackLength)
            if (!Event()) return false;
        // The rest of the chunk is skipped, even past the end of the file.
        if (trackAt < trackLength) at += std::size_t(trackLength - trackAt);
        return true;
    }
};

} // namespace

bool IsPlayableMidi(const std::vector<std::uint8_t>& f) {
    if (f.size() < 14 || std::memcmp(f.data(), "MThd", 4) != 0 || f[7] != 6) return false;
    // The format and the division are read through signed bytes: a format byte over 127
    // passes, and a division with its top bit set is SMPTE time, which is refused. The track
    // count is read so that from 128 tracks on nothing loads.
    if (std::int8_t(f[9]) > 2 || std::int8_t(f[12]) < 0) return false;
    int tracks = int(BigEndian(f.data() + 10, 2));
    if (tracks > 127) return false;
    MidiReader reader{f};
    for (int i = 0; i < tracks; ++i)
        if (!reader.Track()) return false;
    return reader.content;
}

namespace {

// What the machine answers is recorded. A demo answers in its place, after the machine has
// played what it can of the music for the viewer.
DWORD Ask(MciVerb verb, const std::vector<std::uint8_t>* piece, const char* command) {
    const DWORD answer = BackendMci(verb, piece, command);
    return RecordMusic(DemoPlaying() ? DemoMusic() : answer);
}

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
        DWORD result = Ask(MciVerb::Open, &piece, command);
        if (result == 0) OpenAlias = w[5];
        return result;
    }
    if (w.size() < 2 || OpenAlias.empty() || w[1] != OpenAlias)
        return w.empty() ? MciErrorUnrecognisedCommand : MciErrorInvalidDeviceName;
    if (w.size() == 4 && w[0] == "play" && w[2] == "from" && w[3] == "0")
        return Ask(MciVerb::PlayFromStart, nullptr, command);
    if (w.size() == 2 && w[0] == "play") return Ask(MciVerb::Play, nullptr, command);
    if (w.size() == 2 && w[0] == "stop") return Ask(MciVerb::Stop, nullptr, command);
    if (w.size() == 2 && w[0] == "close") {
        DWORD result = Ask(MciVerb::Close, nullptr, command);
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
