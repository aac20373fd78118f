// Game pads on the real platform, plugged in and out while the game polls: SDL's virtual pads
// stand in for real ones, so this runs without a desktop (SDL's dummy video driver).
#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "platform/api/input.h"
#include "platform/api/window.h"

namespace {

bool Held(int key) { return GetAsyncKeyState(key) < 0; }

// Polls as the game's waits do for a few milliseconds, so SDL takes the pads' news in.
void Settle() {
    for (int i = 0; i < 10; ++i) {
        Held(VK_F1);
        SDL_Delay(2);
    }
}

// A virtual pad with every button and axis a game controller has; its device index.
int PlugIn() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "test pad";
    return SDL_JoystickAttachVirtualEx(&desc);
}

// The key messages the desktop's events became.
std::vector<WPARAM> KeyMessages() {
    std::vector<WPARAM> keys;
    for (MSG m{}; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);)
        if (m.message == WM_KEYDOWN) keys.push_back(m.wParam);
    return keys;
}

TEST(PadHotPlug, PadsPluggedInAndOutMidGameWorkAtOnce) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS), 0) << SDL_GetError();
    Settle(); // the first poll starts the pads, with none there
    EXPECT_FALSE(Held(VK_SPACE));

    const int first = PlugIn();
    ASSERT_GE(first, 0) << SDL_GetError();
    SDL_Joystick* one = SDL_JoystickOpen(first);
    ASSERT_NE(one, nullptr);
    Settle();
    SDL_JoystickSetVirtualButton(one, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualAxis(one, SDL_CONTROLLER_AXIS_LEFTX, -32768);
    Settle();
    EXPECT_TRUE(Held(VK_SPACE)) << "A fires";
    EXPECT_TRUE(Held(VK_LEFT)) << "the stick turns";
    EXPECT_EQ(KeyMessages(), std::vector<WPARAM>{VK_SPACE}) << "a press posts its key's message";

    const int second = PlugIn();
    ASSERT_GE(second, 0) << SDL_GetError();
    SDL_Joystick* two = SDL_JoystickOpen(second);
    ASSERT_NE(two, nullptr);
    Settle();
    SDL_JoystickSetVirtualButton(two, SDL_CONTROLLER_BUTTON_START, 1);
    Settle();
    EXPECT_TRUE(Held('P') && Held(VK_SPACE)) << "both pads count";

    // The first pad goes while A and the stick are held: they are let go.
    const SDL_JoystickID oneId = SDL_JoystickInstanceID(one);
    SDL_JoystickClose(one);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == oneId) SDL_JoystickDetachVirtual(i);
    Settle();
    EXPECT_FALSE(Held(VK_SPACE) || Held(VK_LEFT));
    EXPECT_TRUE(Held('P'));

    SDL_JoystickClose(two);
    SDL_JoystickDetachVirtual(0);
    Settle();
    EXPECT_FALSE(Held('P'));
    SDL_Quit();
}

} // namespace
