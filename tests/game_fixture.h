// game_fixture.h -- a fresh test platform and the game's start-up globals at their first values
#pragma once

#include <gtest/gtest.h>

#include "app/game_clock.h"
#include "app/startup.h"
#include "display/display.h"
#include "platform/test/test_platform.h"
#include "platform/window.h"

class GameTest : public ::testing::Test {
  protected:
    void Start(const TestOptions& options = {}) {
        ReleaseDisplay();
        TestPlatformStart(options);
        MainWindow = nullptr;
        AppActive = 1;
        Paused = 0;
        LastActivation = 1;
        SoundEnabled = 1;
        ScreenWidth = 640;
        ScreenHeight = 480;
        HalfScreenWidth = 320;
        HalfScreenHeight = 240;
        ResumeTiming = 1;
        GameClock = PreviousGameClock = FrameDelta = FrameRate = 0.0f;
    }
    void SetUp() override { Start(); }
    void TearDown() override {
        if (MainWindow) DestroyWindow(MainWindow);
        ReleaseDisplay();
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
