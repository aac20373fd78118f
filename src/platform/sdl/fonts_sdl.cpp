// fonts_sdl.cpp -- the game's font on the real machine, as fontconfig finds it
#include <fontconfig/fontconfig.h>

#include <unistd.h>

#include "platform/emulation/fonts.h"

std::string FindFontFile(bool bold) {
    if (!FcInit()) return {};
    const int weight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    FcPattern* wanted = FcPatternBuild(
        nullptr, FC_FAMILY, FcTypeString, "DejaVu Sans", FC_WEIGHT, FcTypeInteger, weight, FC_WIDTH,
        FcTypeInteger, FC_WIDTH_NORMAL, FC_SLANT, FcTypeInteger, FC_SLANT_ROMAN, nullptr);
    if (!wanted) return {};
    FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, wanted, &result);
    FcPatternDestroy(wanted);
    // fontconfig offers some other font for one it lacks; the text is measured in this one alone.
    FcChar8 *family = nullptr, *file = nullptr;
    int matchWeight = 0, width = 0, slant = 0;
    std::string path;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
        FcPatternGetInteger(match, FC_WEIGHT, 0, &matchWeight) == FcResultMatch &&
        FcPatternGetInteger(match, FC_WIDTH, 0, &width) == FcResultMatch &&
        FcPatternGetInteger(match, FC_SLANT, 0, &slant) == FcResultMatch &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        std::string(reinterpret_cast<const char*>(family)) == "DejaVu Sans" &&
        matchWeight == weight && width == FC_WIDTH_NORMAL && slant == FC_SLANT_ROMAN &&
        access(reinterpret_cast<const char*>(file), R_OK) == 0)
        path = reinterpret_cast<const char*>(file);
    if (match) FcPatternDestroy(match);
    return path;
}
