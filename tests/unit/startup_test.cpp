// The start-up dialog's choices and the window procedure's reactions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game_clock.h"
#include "game_fixture.h"
#include "platform/input.h"

namespace {

class StartupTest : public GameTest {
  protected:
    // Whole runs read the game's data files from where the game keeps them.
    std::filesystem::path home = std::filesystem::current_path();
    void SetUp() override {
        GameTest::SetUp();
        std::filesystem::current_path(SKIRMO_DATA_DIR);
    }
    void TearDown() override {
        GameTest::TearDown();
        std::filesystem::current_path(home);
    }

    INT_PTR RunDialog(int mode, bool noSound, bool abort) {
        TestOptions o;
        o.dialogMode = mode;
        o.noSound = noSound;
        o.abort = abort;
        Start(o);
        HWND window = OpenWindow();
        return DialogBoxParamA(nullptr, &StartupDialog, window, StartupDialogProc, 0);
    }

    // Runs the whole program on the test platform with the call trace on, until it ends or
    // until the virtual time given; returns WinMain's result (-1 when the time ran out).
    // Space leaves the story and keys pages; the first level is flown from about 8 s on.
    static constexpr const char* PastThePages = "0.5 SPACE down\n0.6 SPACE up\n3.5 SPACE down\n"
                                                "3.6 SPACE up\n";

    int RunProgram(TestOptions o, double until, const std::string& script = "") {
        o.untilSeconds = until;
        std::string error;
        if (!script.empty()) {
            EXPECT_TRUE(ParseScript(script, o.script, error)) << error;
        }
        Start(o);
        TestTraceCalls(true);
        try {
            return WinMain(nullptr, nullptr, nullptr, 0);
        } catch (const TestStop&) {
            return -1;
        }
    }

    // True when the calls appear in the trace in this order (other calls may come between).
    static ::testing::AssertionResult InOrder(const std::vector<std::string>& expected) {
        const std::vector<std::string>& trace = TestCallTrace();
        auto at = trace.begin();
        for (const std::string& call : expected) {
            at = std::find(at, trace.end(), call);
            if (at == trace.end()) {
                std::string all;
                for (const std::string& c : trace)
                    if (c != "QueryPerformanceCounter") all += "\n  " + c;
                return ::testing::AssertionFailure()
                       << "'" << call << "' missing or out of order in:" << all;
            }
            ++at;
        }
        return ::testing::AssertionSuccess();
    }
};

// Start-up's order as it stands: the window, the dialog, the pointer hidden, the display, the
// clock (its frequency, then its first reading). Sound comes between the pointer and the display,
// the title music after the clock, then the story and keys pages and the loading: they join
// this list as they are written.
TEST_F(StartupTest, StartUpRunsInItsOrder) {
    RunProgram({}, 0.5);
    EXPECT_TRUE(
        InOrder({"CreateWindowExA", "DialogBoxParamA", "ShowCursor 0", "DirectDrawCreate",
                 "SetDisplayMode", "QueryPerformanceFrequency", "QueryPerformanceCounter"}));
}

TEST_F(StartupTest, TheVeryFirstFrameIsATenthOfASecond) {
    std::vector<float> deltas, rates;
    TestOptions o;
    o.untilSeconds = 12;
    std::string error;
    ASSERT_TRUE(ParseScript(PastThePages, o.script, error)) << error;
    Start(o);
    TestSetFrameStepHook([&](std::int64_t, bool atEnd) {
        if (atEnd) deltas.push_back(FrameDelta), rates.push_back(FrameRate);
    });
    EXPECT_THROW(WinMain(nullptr, nullptr, nullptr, 0), TestStop);
    ASSERT_GE(deltas.size(), 3u);
    EXPECT_EQ(deltas[0], 0.1f) << "whatever time start-up took";
    EXPECT_EQ(rates[0], 10.0f);
    EXPECT_NEAR(deltas[2], 1.0 / 60, 1e-4) << "then the display's own pace";
}

TEST_F(StartupTest, AClockThatFailsItsFirstReadingEndsStartUpWithTheTimerMessage) {
    TestOptions o;
    o.failure.step = TestFailure::ClockReading;
    bool stepped = false;
    EXPECT_EQ(RunProgram(o, 5), 0);
    TestSetFrameStepHook([&](std::int64_t, bool) { stepped = true; });
    ASSERT_EQ(MessageBoxes().size(), 1u);
    EXPECT_EQ(MessageBoxes()[0].caption, "Timer installation error!");
    EXPECT_TRUE(InOrder({"QueryPerformanceFrequency", "QueryPerformanceCounter", "MessageBoxA"}));
    EXPECT_EQ(TestCallTrace().back(), "MessageBoxA") << "nothing after the message";
    EXPECT_FALSE(stepped);
}

// Coming back: the surfaces are restored while the game still counts as away (AppActive 0), then
// it is in front again. The pictures' reload comes between the two, the title music after.
TEST_F(StartupTest, ComingBackRestoresBeforeTheGameCountsAsActive) {
    HWND window = OpenWindow();
    ASSERT_EQ(InitDisplay(), 1);
    MainWindowProc(window, WM_ACTIVATEAPP, 0, 0);
    TestLoseSurfaces();
    TestTraceCalls(true);
    std::vector<int> activeAtRestore;
    TestSetCallHook([&](const std::string& call) {
        if (call == "IDirectDrawSurface::Restore") activeAtRestore.push_back(AppActive);
    });
    MainWindowProc(window, WM_ACTIVATEAPP, 1, 0);
    ASSERT_FALSE(activeAtRestore.empty());
    for (int active : activeAtRestore)
        EXPECT_EQ(active, 0);
    EXPECT_EQ(AppActive, 1);
}

// Destruction releases the display before the quit is posted; the music's close and the sound's
// release come first, and the shots are cleared before the quit, once they exist.
TEST_F(StartupTest, DestructionReleasesBeforeItQuits) {
    HWND window = OpenWindow();
    ASSERT_EQ(InitDisplay(), 1);
    TestTraceCalls(true);
    DestroyWindow(window);
    MainWindow = nullptr;
    EXPECT_TRUE(InOrder({"DestroyWindow", "IDirectDraw::Release", "PostQuitMessage"}));
}

// The window procedure runs inside the dialog's loop too: switching away before the dialog is
// answered starts the game paused.
TEST_F(StartupTest, SwitchingAwayDuringTheDialogStartsTheGamePaused) {
    TestOptions o;
    std::string error;
    ASSERT_TRUE(ParseScript("0 focus lost\n", o.script, error));
    Start(o);
    HWND window = OpenWindow();
    EXPECT_EQ(DialogBoxParamA(nullptr, &StartupDialog, window, StartupDialogProc, 0), 1);
    EXPECT_EQ(Paused, 1);
    EXPECT_EQ(AppActive, 0);
}

TEST_F(StartupTest, ChoosingAModeSetsTheSizeAndItsHalves) {
    EXPECT_EQ(RunDialog(1, false, false), 1);
    EXPECT_EQ(ScreenWidth, 800);
    EXPECT_EQ(ScreenHeight, 600);
    EXPECT_EQ(HalfScreenWidth, 400);
    EXPECT_EQ(HalfScreenHeight, 300);
    EXPECT_EQ(SoundEnabled, 1);

    EXPECT_EQ(RunDialog(0, false, false), 1);
    EXPECT_EQ(ScreenWidth, 640);
    EXPECT_EQ(HalfScreenHeight, 240);
}

TEST_F(StartupTest, TickingTheBoxMeansNoSoundAndTickingTwiceUndoesIt) {
    EXPECT_EQ(RunDialog(0, true, false), 1);
    EXPECT_EQ(SoundEnabled, 0);

    // The flag follows clicks, not the box: two clicks are no change.
    SoundEnabled = 1;
    StartupDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    StartupDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    EXPECT_EQ(SoundEnabled, 1);
}

TEST_F(StartupTest, AbortEndsTheDialogWithNothingChosen) {
    EXPECT_EQ(RunDialog(1, false, true), 0);
    EXPECT_EQ(ScreenWidth, 640);
    EXPECT_EQ(DisplayObject, nullptr);
}

TEST_F(StartupTest, LosingTheForegroundPausesAndComingBackOnlyReactivates) {
    HWND window = OpenWindow();
    MainWindowProc(window, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(AppActive, 0);
    EXPECT_EQ(Paused, 1);
    EXPECT_EQ(LastActivation, 0);

    MainWindowProc(window, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(AppActive, 1);
    EXPECT_EQ(Paused, 1) << "the game stays paused until P";
    EXPECT_EQ(LastActivation, 1);
}

TEST_F(StartupTest, ComingBackRestoresLostSurfacesButARepeatDoesNothing) {
    HWND window = OpenWindow();
    ASSERT_EQ(InitDisplay(), 1);
    MainWindowProc(window, WM_ACTIVATEAPP, 0, 0);
    TestLoseSurfaces();
    MainWindowProc(window, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(PrimarySurface->IsLost(), DD_OK);

    // Only a change counts: the same flag again must not restore anything.
    TestLoseSurfaces();
    AppActive = 0;
    MainWindowProc(window, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(PrimarySurface->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(AppActive, 0);
}

// Alt+Enter and Alt+Escape, pressed as a player presses them, never reach the desktop's own
// handling; Alt itself and other system keys do. Escape comes last: the game itself sees it held
// and asks whether to quit.
TEST_F(StartupTest, AltEnterAltEscapeAndTheTaskListAreSwallowed) {
    EXPECT_EQ(RunProgram({}, 12,
                         std::string(PastThePages) +
                             "10 ALT down\n10.01 ENTER down\n10.02 ENTER up\n10.03 F1 down\n"
                             "10.04 F1 up\n10.05 ESC down\n10.06 ESC up\n10.07 ALT up\n"),
              -1);
    const std::vector<std::string>& trace = TestCallTrace();
    auto reached = [&](const std::string& call) {
        return std::find(trace.begin(), trace.end(), call) != trace.end();
    };
    EXPECT_TRUE(reached("DefWindowProcA system key " + std::to_string(VK_MENU)));
    EXPECT_TRUE(reached("DefWindowProcA system key " + std::to_string(VK_F1)));
    EXPECT_FALSE(reached("DefWindowProcA system key " + std::to_string(VK_RETURN)));
    EXPECT_FALSE(reached("DefWindowProcA system key " + std::to_string(VK_ESCAPE)));
    EXPECT_EQ(MainWindowProc(MainWindow, WM_SYSCOMMAND, SC_TASKLIST, 0), 0);
    EXPECT_FALSE(reached("DefWindowProcA system command " + std::to_string(SC_TASKLIST)));
    EXPECT_NE(MainWindow, nullptr) << "the game still runs";
}

TEST_F(StartupTest, ClosingTheWindowReleasesEverythingAndQuits) {
    HWND window = OpenWindow();
    ASSERT_EQ(InitDisplay(), 1);
    // Alt+F4 reaches the window as a system key the game leaves to the desktop.
    MainWindowProc(window, WM_SYSKEYDOWN, 0x73, 0);
    MainWindow = nullptr;
    EXPECT_EQ(DisplayObject, nullptr);
    EXPECT_EQ(TestLiveSurfaces(), 0);
    MSG msg{};
    ASSERT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), 1);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 0u);
}

} // namespace
