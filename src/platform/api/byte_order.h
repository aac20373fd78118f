// byte_order.h -- numbers as the files store them, a byte at a time
#pragma once

#include <cstdint>

// The number in the bytes at p: least significant first (RIFF, BMP, voice files) or most
// significant first (MIDI).
constexpr std::uint32_t LittleEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}
constexpr std::uint32_t BigEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[i];
    return v;
}
