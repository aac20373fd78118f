// fonts_web.cpp -- the page's font: DejaVu Sans, carried in the page's own files
#include <sys/stat.h>

#include "platform/emulation/fonts.h"

// There is no fontconfig in a page: the build packs Debian's fonts-dejavu-core files here.
std::string FindFontFile(bool bold) {
    const char* path = bold ? "/fonts/DejaVuSans-Bold.ttf" : "/fonts/DejaVuSans.ttf";
    struct stat st {};
    return stat(path, &st) == 0 ? path : "";
}
