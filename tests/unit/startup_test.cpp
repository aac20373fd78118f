// The start-up dialog's choices and the window procedure's reactions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "core/exit_status.h"
#include "core/game_clock.h"
#include "combat/shots.h"
#include "game_fixture.h"
#include "platform/api/input.h"
#include "core/program.h"

namespace {

class StartupTest : public GameTest {
  protected:
    // The whole program reads its files from the data folder, as it does when started there.
    std::filesystem::path home = std::filesystem::current_path();
    void SetUp() override {
        GameTest::SetUp();
        std::filesystem::current_path(SKIRMO_DATA_DIR);
    }
    void TearDown() override {
        // The hooks point into the finished test's locals; the clean-up below must not call them.
        TestSetCallHook(nullptr);
        TestSetKeyboardHook(nullptr);
        TestSetFrameStepHook(nullptr);
        GameTest::TearDown();
        std::filesystem::current_path(home);
    }

    // Runs the whole program on the test platform with the call trace on, until it ends or
    // until the virtual time given; hooks are set once the platform has started. Returns
    // WinMain's result (-1 when the time ran out).
    int RunProgram(TestOptions o, double until, const std::string& script = "",
                   const std::function<void()>& hooks = {}) {
        o.untilSeconds = until;
        std::string error;
        EXPECT_TRUE(ParseScript(script, o.script, error)) << error;
        Start(o);
        TestTraceCalls(true);
        if (hooks) hooks();
        try {
            return WinMain(nullptr, nullptr, nullptr, 0);
        } catch (const TestStop&) {
            return -1;
        }
    }

    static constexpr const char* SkipPages = "0 SPACE down\n0.2 SPACE up\n";

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

// Start-up's order: the window, the dialog, the pointer hidden, sound, the display, the clock (its
// frequency, then its first reading), the title music opened and played, the story and keys
// pages (drawn through a device context), then the loading (its first file, the flash mask).
TEST_F(StartupTest, StartUpRunsInItsOrder) {
    RunProgram({}, 3, SkipPages);
    EXPECT_TRUE(InOrder({"CreateWindowExA", "DialogBoxParamA", "ShowCursor 0", "DirectSoundCreate",
                         "DirectDrawCreate", "SetDisplayMode", "QueryPerformanceFrequency",
                         "QueryPerformanceCounter", "mciSendStringA open", "mciSendStringA play",
                         "IDirectDrawSurface::GetDC", "ReadGameFile flashtmp.bmp"}));
}

// The README lists the exit statuses as the table the code keeps.
TEST(ExitStatus, TheReadmeListsEveryStatusAsTheTableSaysIt) {
    std::ifstream in(std::string(SKIRMO_DATA_DIR) + "/../README.md");
    std::string readme((std::istreambuf_iterator<char>(in)), {});
    ASSERT_FALSE(readme.empty());
    for (const ExitStatusRow& row : ExitStatusTable)
        EXPECT_NE(readme.find("| " + std::to_string(row.Status) + " | " + row.Meaning + " |\n"),
                  std::string::npos)
            << row.Status;
}

TEST_F(StartupTest, ActivationRunsInItsOrder) {
    std::vector<std::pair<std::string, int>> seen; // each call with AppActive at the time
    RunProgram({}, 7.5, std::string(SkipPages) + "6 focus lost\n7 focus gained\n", [&] {
        TestSetCallHook([&](const std::string& call) {
            if (TestNowNs() < TestSecondsToNs(6)) return;
            seen.emplace_back(call, AppActive);
            // While away, the display loses the surfaces (a mode change by another program).
            if (call == "mciSendStringA stop") TestLoseSurfaces();
        });
    });
    auto first = [&](const std::string& prefix, std::size_t from) {
        for (std::size_t i = from; i < seen.size(); ++i)
            if (seen[i].first.rfind(prefix, 0) == 0) return i;
        return seen.size();
    };
    std::size_t stop = first("mciSendStringA stop", 0);
    std::size_t restore = first("IDirectDrawSurface::Restore", stop);
    std::size_t reload = first("ReadGameFile", restore);
    std::size_t play = first("mciSendStringA play", reload);
    ASSERT_LT(play, seen.size()) << "stop, restore, reload, then the music";
    EXPECT_EQ(seen[stop].second, 1) << "the music stops before the game counts as away";
    EXPECT_EQ(seen[restore].second, 0);
    EXPECT_EQ(seen[reload].second, 0);
    EXPECT_EQ(seen[play].second, 1) << "the game is in front before its music starts";
}

TEST_F(StartupTest, DestructionRunsInItsOrderAndReleasesEverything) {
    int shotsAtDisplayRelease = -1, shotsAtQuit = -1;
    EXPECT_EQ(RunProgram({}, 10,
                         std::string(SkipPages) + "6 SPACE down\n6.05 SPACE up\n6.1 close\n",
                         [&] {
                             TestSetCallHook([&](const std::string& call) {
                                 if (call == "IDirectDraw::Release")
                                     shotsAtDisplayRelease = ShotList.Count;
                                 if (call == "PostQuitMessage") shotsAtQuit = ShotList.Count;
                             });
                         }),
              0);
    MainWindow = nullptr;
    EXPECT_TRUE(InOrder({"DestroyWindow", "mciSendStringA close", "IDirectSound::Release",
                         "close the sound output", "IDirectDraw::Release", "PostQuitMessage"}));
    EXPECT_GT(shotsAtDisplayRelease, 0) << "the shot fired at 6 s is still flying";
    EXPECT_EQ(shotsAtQuit, 0);
    EXPECT_EQ(DisplayObject, nullptr);
    EXPECT_EQ(TestLiveSurfaces(), 0);
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

// Every golden game chooses its mode, and ticks the box, through the dialog, and --abort is its
// Cancel; the box's flag follows clicks, not the box: two clicks are no change.
TEST_F(StartupTest, TheSoundFlagFollowsClicks) {
    const int before = SoundEnabled;
    StartupDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    EXPECT_EQ(SoundEnabled, 1 - before);
    StartupDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(1003, BN_CLICKED), 0);
    EXPECT_EQ(SoundEnabled, before);
}

// Alt+Enter and Alt+Escape, pressed as a player presses them, never reach the desktop's own
// handling; Alt itself and other system keys do.
TEST_F(StartupTest, AltEnterAltEscapeAndTheTaskListAreSwallowed) {
    TestOptions o;
    std::string error;
    ASSERT_TRUE(ParseScript("0.1 ALT down\n0.11 ENTER down\n0.12 ENTER up\n0.13 ESC down\n"
                            "0.14 ESC up\n0.15 F1 down\n0.16 ALT up\n",
                            o.script, error));
    Start(o);
    HWND window = OpenWindow();
    TestTraceCalls(true);
    MSG msg{};
    while (TestNowSeconds() < 0.2)
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    const std::vector<std::string>& trace = TestCallTrace();
    auto reached = [&](const std::string& call) {
        return std::find(trace.begin(), trace.end(), call) != trace.end();
    };
    EXPECT_TRUE(reached("DefWindowProcA system key " + std::to_string(VK_MENU)));
    EXPECT_TRUE(reached("DefWindowProcA system key " + std::to_string(VK_F1)));
    EXPECT_FALSE(reached("DefWindowProcA system key " + std::to_string(VK_RETURN)));
    EXPECT_FALSE(reached("DefWindowProcA system key " + std::to_string(VK_ESCAPE)));
    EXPECT_EQ(MainWindowProc(window, WM_SYSCOMMAND, SC_TASKLIST, 0), 0);
    EXPECT_FALSE(reached("DefWindowProcA system command " + std::to_string(SC_TASKLIST)));
    EXPECT_EQ(MainWindow, window) << "the game still runs";
    // Of the window menu's commands only closing ends the game; the low four bits are the
    // desktop's own.
    MainWindowProc(window, WM_SYSCOMMAND, 0xF020, 0); // minimise
    EXPECT_TRUE(reached("DefWindowProcA system command " + std::to_string(0xF020)));
    EXPECT_FALSE(reached("PostQuitMessage"));
    MainWindowProc(window, WM_SYSCOMMAND, SC_CLOSE | 3, 0);
    EXPECT_TRUE(reached("PostQuitMessage"));
}

} // namespace
