// game_fixture.h -- a fresh test platform and every game global at its first value
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <unistd.h>

#include "core/game_globals.h"
#include "app/startup.h"
#include "display/display.h"
#include "display/pixels.h"
#include "platform/test/test_platform.h"
#include "platform/api/window.h"
#include "core/program.h"

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
    HWND OpenWindow() { return MainWindow = TestOpenWindow(640, 480, MainWindowProc); }
    // The window and the display, with the pixel format read.
    void OpenDisplay() {
        OpenWindow();
        ASSERT_EQ(InitDisplay(), 1);
        ASSERT_EQ(AnalysePixelFormat(PrimarySurface, &PixelFormatInfo), 1);
    }
    std::vector<TestEvent> MessageBoxes() {
        std::vector<TestEvent> boxes;
        for (const TestEvent& e : TestEvents())
            if (e.kind == "message_box") boxes.push_back(e);
        return boxes;
    }
    // The game asked its loop to end, with code 0 as every such request of the game carries.
    static bool QuitRequested() {
        MSG msg{};
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message == WM_QUIT) return msg.wParam == 0;
        return false;
    }
    static ScriptEvent Key(double t, int key, bool down) {
        return {TestSecondsToNs(t), down ? ScriptEvent::KeyDown : ScriptEvent::KeyUp, key};
    }
};

// A test that runs the game in a folder of its own, since the game reads its files from where it
// runs: made empty for each test, entered, and removed afterwards.
class ScratchFolderTest : public GameTest {
  protected:
    std::filesystem::path dir, home;
    void SetUp() override {
        GameTest::SetUp();
        home = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("skirmo_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        GameTest::TearDown();
        std::filesystem::current_path(home);
        std::filesystem::remove_all(dir);
    }
};
