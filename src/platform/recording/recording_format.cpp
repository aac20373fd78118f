// recording_format.cpp -- the bytes of a recorded game (docs/recording-format.md)
#include "recording_format.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/emulation/backend.h"

namespace {

constexpr char Magic[] = "Velmora recording\n";
constexpr std::size_t MagicSize = sizeof Magic - 1;
enum Stream { ClockStream, KeyStream, MessageStream, EventStream, CheckStream, StreamCount };
const char* const StreamNames[StreamCount] = {"clock", "keys", "messages", "events", "checks"};

// Far beyond what any chunk of a game holds (the recorder cuts one every half second or so), and
// small enough that a corrupt size never makes the reader take much memory.
constexpr std::uint32_t LargestChunk = 16u << 20;
constexpr std::uint64_t LargestString = 1u << 16;
constexpr std::uint64_t LargestState = 1u << 20;
// Every count and value stays well inside 64 bits, so no sum of them can overflow.
constexpr std::int64_t Largest = std::int64_t(1) << 62;
// What the reader may hold of one recording: its entries and their texts, as kept in memory (a
// one-byte entry of the file may become 88 bytes there). A game takes about 16 MB an hour.
constexpr std::size_t LargestHeld = std::size_t(256) << 20;

void Put(std::vector<std::uint8_t>& out, std::uint64_t v) {
    while (v >= 0x80) {
        out.push_back(std::uint8_t(v | 0x80));
        v >>= 7;
    }
    out.push_back(std::uint8_t(v));
}
std::uint64_t Zigzag(std::int64_t v) { return (std::uint64_t(v) << 1) ^ std::uint64_t(v >> 63); }
std::int64_t Unzigzag(std::uint64_t v) { return std::int64_t(v >> 1) ^ -std::int64_t(v & 1); }
void PutSigned(std::vector<std::uint8_t>& out, std::int64_t v) { Put(out, Zigzag(v)); }
void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    Put(out, text.size());
    out.insert(out.end(), text.begin(), text.end());
}
void PutLittle(std::vector<std::uint8_t>& out, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}
std::uint64_t Little(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// A cursor over bytes that never reads past them; the first fault is kept.
struct Cursor {
    const std::uint8_t* at;
    const std::uint8_t* end;
    std::string fault;

    bool Fail(const std::string& what) {
        if (fault.empty()) fault = what;
        at = end;
        return false;
    }
    bool Byte(std::uint8_t& v) {
        if (at == end) return Fail("it ends in the middle of an entry");
        v = *at++;
        return true;
    }
    bool Varint(std::uint64_t& v) {
        v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            std::uint8_t b = 0;
            if (!Byte(b)) return false;
            if (shift == 63 && b > 1) break;
            v |= std::uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80)) return true;
        }
        return Fail("a number longer than 64 bits");
    }
    // A number from 0 to most.
    bool Count(std::int64_t& v, std::int64_t most = Largest) {
        std::uint64_t u = 0;
        if (!Varint(u)) return false;
        if (u > std::uint64_t(most)) return Fail("a number out of range");
        v = std::int64_t(u);
        return true;
    }
    bool Signed(std::int64_t& v) {
        std::uint64_t u = 0;
        if (!Varint(u)) return false;
        v = Unzigzag(u);
        if (v > Largest || v < -Largest) return Fail("a number out of range");
        return true;
    }
    bool Flag(bool& v) {
        std::uint8_t b = 0;
        if (!Byte(b)) return false;
        if (b > 1) return Fail("a yes or no that is neither");
        v = b == 1;
        return true;
    }
    bool Text(std::string& text, std::uint64_t most = LargestString) {
        std::uint64_t n = 0;
        if (!Varint(n)) return false;
        if (n > most || n > std::uint64_t(end - at)) return Fail("a text longer than its chunk");
        if (!Hold(std::size_t(n))) return false;
        text.assign(reinterpret_cast<const char*>(at), std::size_t(n));
        at += n;
        return true;
    }
    // Counted before anything is kept: the bytes the recording read so far holds in memory.
    std::size_t* held = nullptr;
    bool Hold(std::size_t bytes) {
        if (!held) return true;
        if (bytes > LargestHeld - *held)
            return Fail("more than " + std::to_string(LargestHeld >> 20) +
                        " MiB to hold, far more than any game");
        *held += bytes;
        return true;
    }
};

// What the reader keeps from chunk to chunk.
struct ReaderState {
    int chunk = 0;
    std::int64_t reading = 0; // the last clock reading
    std::int64_t keyPoll = -1;
    bool held[256] = {};
    std::size_t bytesHeld = 0;
};

bool ReadClock(Cursor& c, RecordedGame& g, ReaderState& s, std::int64_t& readings) {
    while (c.at < c.end) {
        std::uint64_t v = 0;
        ClockRun run{0, 1};
        if (!c.Varint(v)) return false;
        run.delta = Unzigzag(v >> 1);
        if ((v & 1) && (!c.Count(run.count) || run.count < 2))
            return c.Fail("a run of fewer than two readings");
        __int128 last = __int128(s.reading) + __int128(run.delta) * run.count;
        if (run.delta > Largest || run.delta < -Largest || last > Largest || last < -Largest)
            return c.Fail("a reading out of range");
        s.reading = std::int64_t(last);
        readings += run.count;
        if (readings > Largest) return c.Fail("too many readings");
        if (!c.Hold(sizeof run)) return false;
        g.clock.push_back(run);
    }
    return true;
}

bool ReadKeys(Cursor& c, RecordedGame& g, ReaderState& s) {
    while (c.at < c.end) {
        std::int64_t gap = 0, code = 0, stamp = 0;
        if (!c.Count(gap) || !c.Count(code, 511) || !c.Count(stamp)) return false;
        if (gap < 1) return c.Fail("two key changes at one poll");
        KeyChange k{s.keyPoll + gap, int(code >> 1), (code & 1) != 0, stamp};
        if (k.poll > Largest) return c.Fail("a key poll out of range");
        if (s.held[k.key] == k.held) return c.Fail("a key change that changes nothing");
        if (!c.Hold(sizeof k)) return false;
        s.held[k.key] = k.held;
        s.keyPoll = k.poll;
        g.keys.push_back(k);
    }
    return true;
}

bool ReadMessages(Cursor& c, RecordedGame& g, std::int64_t& polls) {
    while (c.at < c.end) {
        RecordedMessage m;
        std::int64_t head = 0, message = 0;
        std::uint64_t wParam = 0;
        if (!c.Count(head)) return false;
        m.emptyBefore = head >> 1;
        m.found = head & 1;
        if (!m.found && m.emptyBefore == 0) return c.Fail("an entry of no polls");
        if (m.found && (!c.Count(message, 0xFFFFFFFF) || !c.Varint(wParam) || !c.Signed(m.lParam) ||
                        !c.Flag(m.toWindow) || !c.Count(m.stamp)))
            return false;
        m.message = std::uint32_t(message);
        m.wParam = wParam;
        polls += m.emptyBefore + (m.found ? 1 : 0);
        if (polls > Largest) return c.Fail("too many message polls");
        if (!c.Hold(sizeof m)) return false;
        g.messages.push_back(m);
    }
    return true;
}

bool ReadEvents(Cursor& c, RecordedGame& g) {
    while (c.at < c.end) {
        RecordedEvent e;
        std::uint8_t kind = 0;
        std::uint64_t u = 0;
        bool ok = c.Byte(kind) && c.Hold(sizeof e);
        e.kind = RecordedKind(kind);
        switch (e.kind) {
        case RecordedKind::WindowMade:
            break;
        case RecordedKind::Calendar:
            ok = ok && c.Signed(e.value);
            break;
        case RecordedKind::Frequency:
            ok = ok && c.Flag(e.flag) && c.Count(e.value);
            break;
        case RecordedKind::DialogCommand:
            ok = ok && c.Signed(e.value) && c.Count(e.stamp);
            break;
        case RecordedKind::Activation:
            ok = ok && c.Varint(u) && c.Count(e.stamp);
            e.value = std::int64_t(u);
            break;
        case RecordedKind::BoxShown:
            ok = ok && c.Text(e.caption) && c.Text(e.text) && c.Count(e.stamp);
            break;
        case RecordedKind::BoxAnswered:
            ok = ok && c.Count(e.stamp);
            break;
        case RecordedKind::SoundOutput:
            ok = ok && c.Flag(e.flag) && c.Text(e.text);
            break;
        case RecordedKind::Music:
            ok = ok && c.Count(e.value, 0xFFFFFFFF);
            break;
        case RecordedKind::DisplayMode:
            ok = ok && c.Flag(e.flag);
            break;
        default:
            return c.Fail("an event of unknown kind " + std::to_string(kind));
        }
        if (!ok) return false;
        g.events.push_back(std::move(e));
    }
    return true;
}

bool ReadChecks(Cursor& c, RecordedGame& g) {
    if ((c.end - c.at) % 8 != 0) return c.Fail("a frame's checksums cut short");
    if (!c.Hold(std::size_t(c.end - c.at) / 8 * sizeof(FrameCheck))) return false;
    for (; c.at < c.end; c.at += 8)
        g.checks.push_back(
            FrameCheck{std::uint32_t(Little(c.at, 4)), std::uint32_t(Little(c.at + 4, 4))});
    return true;
}

bool ReadChunk(const std::uint8_t* raw, std::size_t size, RecordedGame& g, ReaderState& s,
               std::string& error) {
    const std::string where = "chunk " + std::to_string(++s.chunk) + ": ";
    auto fail = [&](const std::string& what) {
        error = where + what;
        return false;
    };
    if (g.ended) return fail("it follows the last chunk");
    Cursor c{raw, raw + size, {}, &s.bytesHeld};
    std::uint8_t kind = 0;
    RecordingTotals t;
    if (!c.Byte(kind) || !c.Count(t.clockReadings) || !c.Count(t.keyPolls) ||
        !c.Count(t.messagePolls) || !c.Count(t.frames))
        return fail(c.fault);
    if (kind > 1) return fail("a chunk of unknown kind " + std::to_string(kind));
    RecordingTotals counted = g.totals;
    for (int i = 0; i < StreamCount; ++i) {
        std::int64_t length = 0;
        if (!c.Count(length)) return fail(c.fault);
        if (length > c.end - c.at)
            return fail(std::string("its ") + StreamNames[i] + " stream runs past the chunk's end");
        Cursor part{c.at, c.at + length, {}, &s.bytesHeld};
        c.at += length;
        bool ok = i == ClockStream     ? ReadClock(part, g, s, counted.clockReadings)
                  : i == KeyStream     ? ReadKeys(part, g, s)
                  : i == MessageStream ? ReadMessages(part, g, counted.messagePolls)
                  : i == EventStream   ? ReadEvents(part, g)
                                       : ReadChecks(part, g);
        if (!ok) return fail(std::string("its ") + StreamNames[i] + " stream: " + part.fault);
    }
    counted.frames = std::int64_t(g.checks.size());
    if (t.clockReadings != counted.clockReadings || t.messagePolls != counted.messagePolls ||
        t.frames != counted.frames || t.keyPolls < g.totals.keyPolls || t.keyPolls <= s.keyPoll)
        return fail("its counts do not add up with its streams");
    g.totals = t;
    if (kind == 1) {
        std::int64_t status = 0, signal = 0;
        if (!c.Signed(status) || !c.Count(signal, 64) || !c.Text(g.ending.state, LargestState))
            return fail("its ending: " + c.fault);
        if (status < std::numeric_limits<int>::min() || status > std::numeric_limits<int>::max())
            return fail("its ending: an exit status out of range");
        g.ending.status = int(status);
        g.ending.signal = int(signal);
        g.ended = true;
    }
    if (c.at != c.end) return fail("bytes after its end");
    return true;
}

// Whether bytes are the beginning of a zlib stream (cut before its end) that unpacks to no more
// than out holds.
bool BeginsStream(const std::uint8_t* bytes, std::size_t size, std::vector<std::uint8_t>& out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(bytes);
    z.avail_in = uInt(size);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    int result = inflate(&z, Z_SYNC_FLUSH);
    bool begins = (result == Z_OK || result == Z_BUF_ERROR) && z.avail_in == 0;
    inflateEnd(&z);
    return begins;
}

std::uint64_t Rotate(std::uint64_t v, int by) { return v << by | v >> (64 - by); }

// Four independent lanes of multiply and rotate, eight bytes each, so that the processor keeps
// them all busy: a whole 800 by 600 picture costs some tens of microseconds.
std::uint64_t Mix(const std::uint8_t* p, std::size_t n, std::uint64_t h) {
    constexpr std::uint64_t K = 0x9E3779B97F4A7C15ull;
    std::uint64_t a = h, b = h + K, c = h + 2 * K, d = h + 3 * K;
    auto step = [](std::uint64_t lane, const std::uint8_t* at) {
        std::uint64_t w;
        std::memcpy(&w, at, 8);
        return Rotate(lane ^ w, 29) * K;
    };
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        a = step(a, p + i);
        b = step(b, p + i + 8);
        c = step(c, p + i + 16);
        d = step(d, p + i + 24);
    }
    std::uint8_t tail[32] = {};
    if (n > i) std::memcpy(tail, p + i, n - i);
    a = step(a, tail);
    b = step(b, tail + 8);
    c = step(c, tail + 16);
    d = step(d, tail + 24);
    std::uint64_t out = a ^ Rotate(b, 17) ^ Rotate(c, 31) ^ Rotate(d, 47) ^ n;
    out = (out ^ out >> 33) * 0xFF51AFD7ED558CCDull;
    return out ^ out >> 33;
}

std::uint32_t Fold(std::uint64_t h) { return std::uint32_t(h ^ h >> 32); }

} // namespace

void RecordingWriter::EndRun() {
    if (runCount_ == 0) return;
    std::vector<std::uint8_t>& out = streams_[ClockStream];
    Put(out, Zigzag(runDelta_) << 1 | (runCount_ > 1 ? 1 : 0));
    if (runCount_ > 1) Put(out, std::uint64_t(runCount_));
    runCount_ = 0;
}

void RecordingWriter::Clock(std::int64_t reading) { Readings({reading - reading_, 1}); }

void RecordingWriter::Readings(const ClockRun& run) {
    reading_ =
        std::int64_t(std::uint64_t(reading_) + std::uint64_t(run.delta) * std::uint64_t(run.count));
    if (runCount_ > 0 && run.delta == runDelta_) {
        runCount_ += run.count;
        return;
    }
    EndRun();
    runDelta_ = run.delta;
    runCount_ = run.count;
}

void RecordingWriter::KeyChanged(const KeyChange& k) {
    std::vector<std::uint8_t>& out = streams_[KeyStream];
    Put(out, std::uint64_t(k.poll - keyPoll_));
    Put(out, std::uint64_t(k.key & 0xFF) << 1 | (k.held ? 1 : 0));
    Put(out, std::uint64_t(k.stamp));
    keyPoll_ = k.poll;
}

void RecordingWriter::Message(const RecordedMessage& m) {
    std::vector<std::uint8_t>& out = streams_[MessageStream];
    Put(out, std::uint64_t(m.emptyBefore) << 1 | (m.found ? 1 : 0));
    if (!m.found) return;
    Put(out, m.message);
    Put(out, m.wParam);
    PutSigned(out, m.lParam);
    out.push_back(m.toWindow ? 1 : 0);
    Put(out, std::uint64_t(m.stamp));
}

void RecordingWriter::Event(const RecordedEvent& e) {
    std::vector<std::uint8_t>& out = streams_[EventStream];
    out.push_back(std::uint8_t(e.kind));
    switch (e.kind) {
    case RecordedKind::WindowMade:
        break;
    case RecordedKind::Calendar:
        PutSigned(out, e.value);
        break;
    case RecordedKind::Frequency:
        out.push_back(e.flag ? 1 : 0);
        Put(out, std::uint64_t(e.value));
        break;
    case RecordedKind::DialogCommand:
        PutSigned(out, e.value);
        Put(out, std::uint64_t(e.stamp));
        break;
    case RecordedKind::Activation:
        Put(out, std::uint64_t(e.value));
        Put(out, std::uint64_t(e.stamp));
        break;
    case RecordedKind::BoxShown:
        PutText(out, e.caption.substr(0, LargestString));
        PutText(out, e.text.substr(0, LargestString));
        Put(out, std::uint64_t(e.stamp));
        break;
    case RecordedKind::BoxAnswered:
        Put(out, std::uint64_t(e.stamp));
        break;
    case RecordedKind::SoundOutput:
        out.push_back(e.flag ? 1 : 0);
        PutText(out, e.text.substr(0, LargestString));
        break;
    case RecordedKind::Music:
        Put(out, std::uint64_t(e.value));
        break;
    case RecordedKind::DisplayMode:
        out.push_back(e.flag ? 1 : 0);
        break;
    }
}

void RecordingWriter::Check(FrameCheck check) {
    PutLittle(streams_[CheckStream], check.picture, 4);
    PutLittle(streams_[CheckStream], check.state, 4);
}

std::size_t RecordingWriter::Waiting() const {
    std::size_t n = 0;
    for (const auto& s : streams_)
        n += s.size();
    return n;
}

std::vector<std::uint8_t> RecordingWriter::Chunk(const RecordingTotals& t,
                                                 const RecordingEnding* ending) {
    EndRun();
    std::vector<std::uint8_t> raw;
    raw.push_back(ending ? 1 : 0);
    for (std::int64_t total : {t.clockReadings, t.keyPolls, t.messagePolls, t.frames})
        Put(raw, std::uint64_t(total));
    for (auto& s : streams_) {
        Put(raw, s.size());
        raw.insert(raw.end(), s.begin(), s.end());
        s.clear();
    }
    if (ending) {
        PutSigned(raw, ending->status);
        Put(raw, std::uint64_t(ending->signal));
        PutText(raw, ending->state.substr(0, LargestState));
    }
    return raw;
}

std::vector<std::uint8_t> RecordingHeader(std::int64_t frequency, const std::string& note) {
    std::vector<std::uint8_t> out(Magic, Magic + MagicSize);
    PutLittle(out, RecordingFormat, 2);
    PutLittle(out, std::uint64_t(frequency), 8);
    std::string kept = note.substr(0, 255);
    PutLittle(out, kept.size(), 2);
    out.insert(out.end(), kept.begin(), kept.end());
    return out;
}

std::vector<std::uint8_t> PackChunk(const std::vector<std::uint8_t>& raw) {
    uLongf packed = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> out(8 + packed);
    if (compress2(out.data() + 8, &packed, raw.data(), uLong(raw.size()), 6) != Z_OK) return {};
    out.resize(8 + packed);
    std::vector<std::uint8_t> head;
    PutLittle(head, packed, 4);
    PutLittle(head, raw.size(), 4);
    std::copy(head.begin(), head.end(), out.begin());
    return out;
}

bool BeginsAsRecording(const std::uint8_t* data, std::size_t size) {
    return std::memcmp(data, Magic, std::min(size, MagicSize)) == 0;
}

bool ReadRecordingChunk(const std::uint8_t* raw, std::size_t size, RecordedGame& game,
                        std::string& error) {
    ReaderState state;
    return ReadChunk(raw, size, game, state, error);
}

bool ReadRecording(const std::uint8_t* data, std::size_t size, RecordedGame& game,
                   std::string& error) {
    game = RecordedGame{};
    if (size < MagicSize || !BeginsAsRecording(data, size)) {
        error = "not a recorded game (it does not begin as one)";
        return false;
    }
    if (size < MagicSize + 2) {
        error = "cut short in its header";
        return false;
    }
    unsigned format = unsigned(Little(data + MagicSize, 2));
    if (format != RecordingFormat) {
        error = "a recording in format version " + std::to_string(format) +
                "; this program plays version " + std::to_string(RecordingFormat) + " only";
        return false;
    }
    std::size_t at = MagicSize + 2;
    if (size - at < 10 || size - at - 10 < Little(data + at + 8, 2)) {
        error = "cut short in its header";
        return false;
    }
    game.frequency = std::int64_t(Little(data + at, 8));
    std::size_t noteSize = std::size_t(Little(data + at + 8, 2));
    game.note.assign(reinterpret_cast<const char*>(data + at + 10), noteSize);
    at += 10 + noteSize;
    if (game.frequency < 1 || game.frequency > 1'000'000'000'000) {
        error = "a counter of " + std::to_string(game.frequency) + " counts per second";
        return false;
    }
    ReaderState state;
    std::vector<std::uint8_t> raw;
    while (at < size) {
        const std::string where = "the chunk at byte " + std::to_string(at);
        // A program killed or out of disk space while writing a chunk leaves the file ending in
        // part of it: what came before is whole, and the recording ends there unfinished.
        if (size - at < 8) {
            game.cutAt = std::int64_t(at);
            return true;
        }
        std::uint32_t packed = std::uint32_t(Little(data + at, 4));
        std::uint32_t rawSize = std::uint32_t(Little(data + at + 4, 4));
        if (packed == 0 || packed > LargestChunk || rawSize == 0 || rawSize > LargestChunk) {
            error = where + " claims an impossible size";
            return false;
        }
        raw.resize(rawSize);
        if (size - at - 8 < packed) {
            // Cut only if what is there begins the stream; a stream that ends before its claimed
            // size, or is not one, makes the size a lie.
            if (!BeginsStream(data + at + 8, size - at - 8, raw)) {
                error = where + " is corrupt (its size runs past the file's end)";
                return false;
            }
            game.cutAt = std::int64_t(at);
            return true;
        }
        // zlib's own checksum (Adler-32) covers what the chunk unpacks to.
        uLongf got = rawSize;
        if (uncompress(raw.data(), &got, data + at + 8, packed) != Z_OK || got != rawSize) {
            error = where + " is corrupt (it does not unpack whole to its size)";
            return false;
        }
        if (!ReadChunk(raw.data(), raw.size(), game, state, error)) return false;
        at += 8 + packed;
    }
    return true;
}

std::vector<std::uint8_t> WriteRecording(const RecordedGame& g) {
    RecordingWriter w;
    for (const ClockRun& run : g.clock)
        w.Readings(run);
    for (const KeyChange& k : g.keys)
        w.KeyChanged(k);
    for (const RecordedMessage& m : g.messages)
        w.Message(m);
    for (const RecordedEvent& e : g.events)
        w.Event(e);
    for (FrameCheck c : g.checks)
        w.Check(c);
    std::vector<std::uint8_t> file = RecordingHeader(g.frequency, g.note);
    std::vector<std::uint8_t> chunk = PackChunk(w.Chunk(g.totals, g.ended ? &g.ending : nullptr));
    file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

std::uint32_t PictureChecksum(const SurfaceMemory* front) {
    if (!front || !front->pixels) return 0;
    std::uint64_t h = std::uint64_t(front->width) << 32 | std::uint32_t(front->height);
    for (int y = 0; y < front->height; ++y)
        h = Mix(front->pixels + std::size_t(y) * std::size_t(front->pitch),
                std::size_t(front->width) * 2, h);
    return Fold(h);
}

std::uint32_t TextChecksum(const std::string& text) {
    return Fold(Mix(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 0));
}
