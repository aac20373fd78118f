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

// "MThd", a header of at least 6 bytes, format 0 to 2, at least one track.
bool LooksLikeMidi(const std::vector<std::uint8_t>& h) {
    return h.size() >= 14 && std::memcmp(h.data(), "MThd", 4) == 0 && (h[4] | h[5] | h[6]) == 0 &&
           h[7] >= 6 && h[8] == 0 && h[9] <= 2 && (h[10] | h[11]) != 0;
}

} // namespace

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
        if (read != GameFileRead::Read || !LooksLikeMidi(piece)) return MciErrorBadFile;
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
    DWORD result = Carry(words, command);
    BackendMciSent(command, result);
    return result;
}

void ResetMci() { OpenAlias.clear(); }
