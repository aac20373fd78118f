// screenshot_web.cpp -- F12 in the page: the PNG handed to the player as a download
//
// The picture is written as on the desktop, with the desktop's name, into the page's own files
// (which live in memory); the browser then gets it as a download, and the copy in memory goes.
// A page has no threads (they need cross-origin isolation), so it is written at once; a PNG of
// the game's picture takes a few milliseconds.
#include <emscripten.h>

#include "platform/sdl/screenshot.h"

namespace {

// The file as a download named as the file is, started by the page (index.html's download),
// and the file removed from the page's memory.
EM_JS(void, OfferAsDownload, (const char* path, const char* type), {
    var file = UTF8ToString(path);
    var bytes = FS.readFile(file);
    FS.unlink(file);
    Module.download(bytes, file.substring(file.lastIndexOf('/') + 1), UTF8ToString(type));
});

} // namespace

void KeepShot(Shot shot) {
    const std::string path = WriteShot(shot);
    if (!path.empty()) OfferAsDownload(path.c_str(), "image/png");
}

// Every shot is finished as it is taken.
void FinishScreenshots() {}
