// game_fixture.h -- a fresh test platform and every game global at its first value
#pragma once

#include <gtest/gtest.h>

#include "app/game_globals.h"
#include "app/startup.h"
#include "display/display.h"
#include "platform/test/test_platform.h"
#include "platform/window.h"

class GameTest : public ::testing::Test {
  protected:
    // The game's globals go back first: they release what they hold (surfaces, shots, sound
    // buffers) while the platform still knows them.
    void Start(const TestOptions& options = {}) {
        ResetGameGlobals();
        TestPlatformStart(options);
    }
    void SetUp() override { Start(); }
    void TearDown() override {
        if (MainWindow) DestroyWindow(MainWindow);
        ResetGameGlobals();
    }
    // The game's window, as start-up makes it.
    HWND OpenWindow() {
        static bool registered = false;
        WNDCLASSEXA wc{};
        wc.lpfnWndProc = MainWindowProc;
        wc.lpszClassName = "WINDOW_CLASS";
        if (!registered) registered = RegisterClassExA(&wc) != 0;
        MainWindow = CreateWindowExA(0, "WINDOW_CLASS", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                                     nullptr, nullptr, nullptr, nullptr);
        return MainWindow;
    }
    std::vector<TestEvent> MessageBoxes() {
        std::vector<TestEvent> boxes;
        for (const TestEvent& e : TestEvents())
            if (e.kind == "message_box") boxes.push_back(e);
        return boxes;
    }
};
