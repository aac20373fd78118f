// The start-up dialog's choices and the window procedure's reactions.
#include <gtest/gtest.h>

#include "game_fixture.h"

namespace {

class StartupTest : public GameTest {
  protected:
    INT_PTR RunDialog(int mode, bool noSound, bool abort) {
        TestOptions o;
        o.dialogMode = mode;
        o.noSound = noSound;
        o.abort = abort;
        Start(o);
        HWND window = OpenWindow();
        return DialogBoxParamA(nullptr, &StartupDialog, window, StartupDialogProc, 0);
    }
};

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

TEST_F(StartupTest, AltEnterAltEscapeAndTheTaskListAreSwallowed) {
    HWND window = OpenWindow();
    EXPECT_EQ(MainWindowProc(window, WM_SYSKEYDOWN, 0x0D, 0), 0);
    EXPECT_EQ(MainWindowProc(window, WM_SYSKEYDOWN, 0x1B, 0), 0);
    EXPECT_EQ(MainWindowProc(window, WM_SYSCOMMAND, SC_TASKLIST, 0), 0);
    EXPECT_EQ(MainWindow, window);
    MSG msg{};
    EXPECT_EQ(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE), 0) << "nothing may have quit";
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
