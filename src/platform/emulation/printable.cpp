// printable.cpp -- bytes from a file, made safe to quote on a terminal
#include "printable.h"

std::string Printable(const std::string& text) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text)
        if (c >= 0x20 && c < 0x7F)
            out += char(c);
        else
            out.append("\\x").append(1, Hex[c >> 4]).append(1, Hex[c & 15]);
    return out;
}
