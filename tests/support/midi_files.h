// Small Standard MIDI Files, built byte by byte for the music tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace midi {

using namespace std::string_literals;

inline std::string Be32(std::uint32_t n) {
    return {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
}
inline std::string Header(int format, int tracks, int division = 96) {
    return "MThd"s + Be32(6) + char(format >> 8) + char(format) + char(tracks >> 8) + char(tracks) +
           char(division >> 8) + char(division);
}
inline std::string Track(const std::string& events) {
    return "MTrk" + Be32(std::uint32_t(events.size())) + events;
}
inline std::string Tracks(int count, const std::string& events) {
    std::string all;
    for (int i = 0; i < count; ++i)
        all += Track(events);
    return all;
}
inline const std::string EndOfTrack = "\x00\xFF\x2F\x00"s;
// A program change and one quarter note on the first channel, then the end of the track.
inline const std::string Note = "\x00\xC0\x05\x00\x90\x3C\x40\x60\x80\x3C\x00"s + EndOfTrack;
inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

} // namespace midi
