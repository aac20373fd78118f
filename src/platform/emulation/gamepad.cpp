// gamepad.cpp -- a game pad as the keys the game polls
#include "gamepad.h"

#include <initializer_list>
#include <limits>

#include "platform/api/input.h"

namespace {

PadInputs Now;
bool HeldIntoQuestion[PadControlCount] = {}; // held when a question began, not let go since
bool Answered[PadControlCount] = {};         // answered a question, not let go since
std::int64_t LastAsked = std::numeric_limits<std::int64_t>::min() / 2; // a poll of Y or N

bool Held(PadControl control) { return Now.held[control]; }

// A question's answer: the button counts unless it was held before the question began. Y and N
// are asked together, so a poll of either after a pause begins a question for both.
bool Answers(PadControl control, std::int64_t nowNs) {
    if (nowNs - LastAsked > PadQuestionGapNs)
        for (PadControl c : {PadSouth, PadEast})
            HeldIntoQuestion[c] = Held(c);
    LastAsked = nowNs;
    bool fresh = Held(control) && !HeldIntoQuestion[control];
    Answered[control] = Answered[control] || fresh;
    return fresh;
}

} // namespace

void SetPadInputs(const PadInputs& inputs) {
    Now = inputs;
    for (int c = 0; c < PadControlCount; ++c)
        if (!Now.held[c]) HeldIntoQuestion[c] = Answered[c] = false;
}

bool PadHoldsKey(int virtualKey, std::int64_t nowNs) {
    switch (virtualKey) {
    case VK_LEFT:
        return Held(PadLeft) || Now.stickX <= -PadStickThreshold;
    case VK_RIGHT:
        return Held(PadRight) || Now.stickX >= PadStickThreshold;
    case VK_UP:
        return Held(PadUp) || Now.stickY <= -PadStickThreshold;
    case VK_DOWN:
        return Held(PadDown) || Now.stickY >= PadStickThreshold;
    case VK_SPACE: // the page after a question is left by a fresh press, as with the keyboard's Y
        return Held(PadSouth) && !Answered[PadSouth];
    case VK_ESCAPE:
        return Held(PadBack);
    case 'P':
        return Held(PadStart);
    case 'Y':
        return Answers(PadSouth, nowNs);
    case 'N':
        return Answers(PadEast, nowNs);
    default:
        return false;
    }
}

int PadControlKey(PadControl control) {
    static constexpr int Keys[PadControlCount] = {VK_SPACE, 'N',     VK_ESCAPE, 'P',
                                                  VK_UP,    VK_DOWN, VK_LEFT,   VK_RIGHT};
    return control >= 0 && control < PadControlCount ? Keys[control] : 0;
}

void ResetPad() {
    Now = PadInputs{};
    for (int c = 0; c < PadControlCount; ++c)
        HeldIntoQuestion[c] = Answered[c] = false;
    LastAsked = std::numeric_limits<std::int64_t>::min() / 2;
}
