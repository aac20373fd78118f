// Fuzz target: the reader of recorded games must take any bytes without harm, and what it accepts
// must come out of the writer as the same recording again. Bytes that begin as a recording go to
// the whole-file reader; others are taken as one chunk's unpacked bytes, which the fuzzer could
// otherwise never reach through zlib's checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/recording/recording_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordedGame game;
    std::string error;
    const bool whole = size >= 7 && std::memcmp(data, "Velmora", 7) == 0;
    const bool read = whole ? ReadRecording(data, size, game, error)
                            : ReadRecordingChunk(data, size, game, error);
    if (!read) {
        if (error.empty()) std::abort(); // every refusal says why
        return 0;
    }
    game.frequency = whole ? game.frequency : 1;
    // Written again in one chunk, which must stay under the largest a chunk may be.
    std::size_t bytes = 0;
    for (const RecordedEvent& e : game.events)
        bytes += e.caption.size() + e.text.size();
    bytes += 32 * (game.clock.size() + game.keys.size() + game.messages.size() +
                   game.events.size() + game.checks.size());
    if (bytes > (std::size_t(8) << 20)) return 0;
    std::vector<std::uint8_t> once = WriteRecording(game);
    RecordedGame again;
    if (!ReadRecording(once.data(), once.size(), again, error)) std::abort();
    if (WriteRecording(again) != once) std::abort();
    return 0;
}
