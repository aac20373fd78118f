// frame_steps.cpp -- the game's marks around each frame step, the same on every backend
//
// A frame step that showed a new picture is where the recording keeps the picture's and the
// state's checksums, and where a demo compares them with the recorded game's.
#include "platform/api/window.h"
#include "platform/recording/demo_player.h"
#include "platform/recording/recorder.h"

#include "backend.h"

void FrameStepBegins() { BackendFrameStepBegins(); }

void FrameStepEnds() {
    if (DemoPlaying()) DemoFrameStepEnds();
    RecordFrameStep();
    BackendFrameStepEnded();
}
