// demo_web.cpp -- a demo's end told to the page: its status line and window.velmora.demo
#include <emscripten.h>

#include <string>

#include "platform/sdl/sdl_state.h"

namespace {

// The page (index.html) shows the result; a test or an embedding page reads window.velmora.demo.
EM_JS(void, TellPageDemoOver, (const char* why, int status), {
    var told = {ended : true, status : status, why : UTF8ToString(why)};
    if (Module.demoOver) Module.demoOver(told);
});

} // namespace

void DemoOver(const std::string& why, int status) { TellPageDemoOver(why.c_str(), status); }
