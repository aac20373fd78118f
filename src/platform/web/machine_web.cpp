// machine_web.cpp -- how the page waits: every wait hands the browser its turn
//
// The game runs as one long call, as on the desktop; ASYNCIFY lets it stop inside any wait and go
// on later, so the browser can draw the canvas and take in keys meanwhile. A page has no threads
// (they need cross-origin isolation), so work the desktop puts beside the game cannot run here.
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>

#include "platform/emulation/backend.h"
#include "platform/sdl/sdl_state.h"

namespace {

using Steady = std::chrono::steady_clock;

// When the browser last had its turn. A display frame is about 16.7 ms; a game that goes longer
// without a wait (a wipe spinning on the clock) would freeze the page.
Steady::time_point LastTurn{};
constexpr auto DisplayFrame = std::chrono::milliseconds(16);

// What ends a wait for the browser's turn.
enum WaitUntil : int {
    // The browser's next display frame (requestAnimationFrame): a timer's turn costs about 4 ms in
    // Chromium, so this is the yield that keeps 60 frames a second. A hidden tab runs none, so a
    // timer of 100 ms ends the wait there.
    NextDisplayFrame = 0,
    // A message to ourselves: it costs almost nothing, but taken at every poll it would starve the
    // page's drawing, so it serves only the wipes.
    OwnMessage = 1,
    // The player's first input, or ms: a key, the mouse, a touch, a switch of tab or window, a
    // change of size or of full screen. The game wakes in a task of its own, after SDL's handlers
    // have queued the event. A game pad is read by polling and announces nothing, so with one
    // connected the wait is a display frame at most.
    PlayerInput = 2,
};

// Every wait of the page's own sleeps as emscripten_sleep does (the runtime kept alive meanwhile)
// and wakes the program through the runtime's user callback: when the game's last wait was one of
// these, its return from main ends the program there, as after a timer's turn, and not never.
// (web.cmake names it to ASYNCIFY as an import that sleeps.)
EM_JS(void, WaitForBrowser, (int until, int ms), {
    Asyncify.handleSleep(function(wakeUp) {
        runtimeKeepalivePush();
        var inputs = until == 2 ? ['keydown', 'keyup', 'mousedown', 'mouseup', 'mousemove',
                                   'wheel', 'touchstart', 'touchend', 'blur', 'focus',
                                   'visibilitychange', 'resize', 'fullscreenchange',
                                   'gamepadconnected', 'gamepaddisconnected'] : [];
        var done = false;
        var timer = 0;
        function go(frameTime) {
            if (done) return;
            done = true;
            // A display frame's turn passes the time the frame began; other turns, none.
            Module['displayFrameTime'] =
                typeof frameTime == 'number' ? frameTime : performance.now();
            clearTimeout(timer);
            inputs.forEach(function(e) { window.removeEventListener(e, message, true); });
            runtimeKeepalivePop();
            callUserCallback(wakeUp);
        }
        function message() {
            var channel = new MessageChannel();
            channel.port1.onmessage = go;
            channel.port2.postMessage(0);
        }
        if (until == 1) {
            message();
            return;
        }
        if (until == 0) {
            requestAnimationFrame(go);
            ms = 100;
        } else {
            var pads = navigator.getGamepads ? navigator.getGamepads() : [];
            for (var i = 0; i < pads.length; i++)
                if (pads[i]) ms = Math.min(ms, 16);
            inputs.forEach(function(e) { window.addEventListener(e, message, true); });
        }
        timer = setTimeout(go, ms);
    });
});

EM_JS(double, MsSinceDisplayFrame, (), {
    return Math.max(0, performance.now() - (Module['displayFrameTime'] || performance.now()));
});

// Returns when the display frame that ended the wait began (requestAnimationFrame's time).
Steady::time_point TakeTurn() {
    WaitForBrowser(NextDisplayFrame, 0);
    LastTurn = Steady::now();
    return LastTurn - std::chrono::duration_cast<Steady::duration>(
                          std::chrono::duration<double, std::milli>(MsSinceDisplayFrame()));
}

} // namespace

void RestFor(std::chrono::nanoseconds time) {
    // A waiting poll's rest (1 or 8 ms on the desktop) is a display frame long here: the page
    // shows nothing new between its frames, and keys come in between tasks. It is a timer, not
    // a display frame's turn: a page asking for display frames has the browser make every one,
    // even of a picture that stands still. (emscripten_sleep: a timer's turn.)
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time).count();
    emscripten_sleep(unsigned(std::max<long long>(ms, DisplayFrame.count())));
    LastTurn = Steady::now();
}

void RestWhileStill() {
    // Nothing of the game moves until the player does something: waking at every display frame
    // only to find the same picture cost the page 3 to 7 % of a core. Four display frames is as
    // late as a standing picture's first change may show (screen_sdl.cpp).
    WaitForBrowser(PlayerInput, 4 * int(DisplayFrame.count()));
    LastTurn = Steady::now();
}

Steady::time_point RestUntil(Steady::time_point due) {
    auto now = Steady::now();
    if (now >= due) return now;
    // Up to a display frame ahead: the frame itself is the wait (the flip waits so), and the next
    // flip counts from when that display frame began. Counted from the time asked for, a flip
    // after a late display frame found its own already due and went without one: where the
    // browser composites on the graphics card, the game's frames came 2, 8, 25 and 31 ms apart,
    // two in one display frame and none in the next. Counted from when the turn came, they were
    // as uneven as the browser's turns under load (12 to 42 ms).
    if (due - now <= DisplayFrame + std::chrono::milliseconds(4)) return TakeTurn();
    RestFor(due - now);
    return Steady::now();
}

void BreatheAtPoll() {
    if (Steady::now() - LastTurn < DisplayFrame) return;
    // A wipe holds the visible surface while it steps a row or a column every 5 ms by the clock,
    // measuring each step from the last: every millisecond spent away would lengthen it.
    const SurfaceMemory* front = DisplayFront();
    if (front && front->locked) {
        WaitForBrowser(OwnMessage, 0);
        LastTurn = Steady::now();
        return;
    }
    TakeTurn();
}

bool RunDetached(std::function<void()>) { return false; }

void PresentRenderer(SDL_Renderer* renderer) {
    // Under ASYNCIFY SDL hands the browser a timer's turn (4 ms or more) at every present: a
    // frame would pay it on top of its display frame, and a wipe's every step after it.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
    SDL_RenderPresent(renderer);
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "1");
}
