// fonts.h -- where the platform finds its font, DejaVu Sans (Debian's fonts-dejavu-core)
#pragma once

#include <string>

// The path of the regular (bold = false) or bold DejaVu Sans font file, or "" when the machine
// has none. The real platform asks fontconfig; the test platform takes the file from Debian's
// own place for it, so that its pictures never depend on how a machine's fonts are set up.
std::string FindFontFile(bool bold);
