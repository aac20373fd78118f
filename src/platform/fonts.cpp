// fonts.cpp -- looks for DejaVu Sans where Debian's fonts-dejavu-core puts it
#include "fonts.h"

#include <cstdio>

namespace {

bool FileExists(const std::string& path) {
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        return true;
    }
    return false;
}

} // namespace

std::string FindFontFile(bool bold) {
    const char* name = bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf";
    const char* dirs[] = {"/usr/share/fonts/truetype/dejavu/", "/usr/share/fonts/dejavu/",
                          "/usr/share/fonts/TTF/", "/usr/local/share/fonts/"};
    for (const char* dir : dirs) {
        std::string path = std::string(dir) + name;
        if (FileExists(path)) return path;
    }
    return {};
}
