// screenshot_web.cpp -- F12 in the page: the PNG handed to the player as a download
//
// The picture is written as on the desktop, with the desktop's name, into the page's own files
// (which live in memory); the browser then gets it as a download, and the copy in memory goes.
// A page has no threads (they need cross-origin isolation), so it is written at once; a PNG of
// the game's picture takes a few milliseconds.
#include <emscripten.h>

#include "platform/sdl/screenshot.h"

namespace {

// The file as a download named as the file is, started from the page (a link to a Blob, clicked),
// and the file removed from the page's memory. The Blob's address is let go once the browser has
// had time to take it.
EM_JS(void, OfferAsDownload, (const char* path, const char* type), {
    var file = UTF8ToString(path);
    var options = new Object();
    options.type = UTF8ToString(type);
    var blob = new Blob([FS.readFile(file)], options);
    FS.unlink(file);
    var address = URL.createObjectURL(blob);
    var link = document.createElement('a');
    link.href = address;
    link.download = file.substring(file.lastIndexOf('/') + 1);
    link.style.display = 'none';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(URL.revokeObjectURL.bind(URL, address), 60000);
});

} // namespace

void KeepShot(Shot shot) {
    const std::string path = WriteShot(shot);
    if (!path.empty()) OfferAsDownload(path.c_str(), "image/png");
}

// Every shot is finished as it is taken.
void FinishScreenshots() {}
