// fonts.h -- where the platform finds its fonts (Debian's DejaVu family)
#pragma once

#include <string>

// The path of the regular (bold = false) or bold DejaVu Sans font file, or an empty string
// when neither the usual Debian places nor the fontconfig cache directories have it.
std::string FindFontFile(bool bold);
