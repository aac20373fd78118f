// game_files.h -- wave, voice and BMP files built byte by byte for the tests
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace files {

using Bytes = std::vector<std::uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// Least significant byte first, as RIFF, voice and BMP files store numbers.
inline void PutLe(Bytes& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(std::uint8_t(v >> (8 * i)));
}
inline Bytes Id(const char* id) { return Bytes(id, id + 4); }
inline void Write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A RIFF chunk with its id, the size it claims (0: its true size) and its data, padded to an
// even size as a writer pads it.
inline Bytes Chunk(const char* id, const Bytes& data, std::uint32_t claimed = 0) {
    Bytes b = Id(id);
    PutLe(b, claimed ? claimed : std::uint32_t(data.size()), 4);
    b = b + data;
    if (data.size() & 1) b.push_back(0);
    return b;
}
// A wave format chunk's data: 16 bytes, or 18 with the extra size field.
inline Bytes Format(std::uint16_t tag, int channels, std::uint32_t rate, int bits,
                    bool withExtraSize) {
    Bytes f;
    int block = channels * bits / 8;
    PutLe(f, tag, 2);
    PutLe(f, std::uint32_t(channels), 2);
    PutLe(f, rate, 4);
    PutLe(f, rate * std::uint32_t(block), 4);
    PutLe(f, std::uint32_t(block), 2);
    PutLe(f, std::uint32_t(bits), 2);
    if (withExtraSize) PutLe(f, 0, 2);
    return f;
}
// A RIFF file of form WAVE around the chunks; riffSize 0 means the true size.
inline Bytes Wave(const Bytes& chunks, std::uint32_t riffSize = 0) {
    Bytes b = Id("RIFF");
    PutLe(b, riffSize ? riffSize : std::uint32_t(4 + chunks.size()), 4);
    return b + Id("WAVE") + chunks;
}

// A Creative Voice file whose first block, at offset 26, claims blockLength.
inline Bytes Voc(std::uint32_t blockLength, const Bytes& samples) {
    Bytes b(20, 'V');
    PutLe(b, 26, 2);
    PutLe(b, 0x1129010A, 4);
    b.push_back(1);
    PutLe(b, blockLength, 3);
    PutLe(b, 0x00A6, 2); // time constant, packing
    return b + samples;
}

// A BMP of width by height whose pixel (x, y) is colour(x, y): 0x00RRGGBB at 24 bits a pixel,
// or at 16 the pixel itself under 5-6-5 colour masks (BI_BITFIELDS), as paint programs write it.
inline Bytes Bmp(int width, int height, const std::function<std::uint32_t(int, int)>& colour,
                 int bits = 24) {
    const std::uint32_t bytes = std::uint32_t(bits) / 8, start = bits == 16 ? 66 : 54;
    std::uint32_t rowBytes = (std::uint32_t(width) * bytes + 3) & ~3u;
    std::uint32_t pixelBytes = rowBytes * std::uint32_t(height);
    Bytes b{'B', 'M'};
    PutLe(b, start + pixelBytes, 4);
    PutLe(b, 0, 4);
    PutLe(b, start, 4);
    PutLe(b, 40, 4);
    PutLe(b, std::uint32_t(width), 4);
    PutLe(b, std::uint32_t(height), 4);
    PutLe(b, 1, 2);                   // planes
    PutLe(b, std::uint32_t(bits), 2); // bits a pixel
    PutLe(b, bits == 16 ? 3 : 0, 4);  // the masks follow the header
    b.resize(54, 0);
    for (std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu})
        if (bits == 16) PutLe(b, mask, 4);
    b.resize(start + pixelBytes, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &b[start + std::size_t(height - 1 - y) * rowBytes + x * bytes];
            for (std::uint32_t i = 0; i < bytes; ++i)
                p[i] = std::uint8_t(colour(x, y) >> 8 * i);
        }
    return b;
}

} // namespace files
