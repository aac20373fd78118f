// The music commands the sequencer receives when a piece is missing or fails to play, and on a
// resume (the golden logs hold every command of whole games, and of one without sound).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/texts.h"
#include "audio/music.h"
#include "game_fixture.h"
#include "platform/api/mmsystem.h"
#include "core/program.h"

namespace fs = std::filesystem;

namespace {

using Commands = std::vector<std::string>;

const std::string Open[4] = {"open DREAMS.MID type sequencer alias jazz",
                             "open CRAZYTRN.MID type sequencer alias jazz", "",
                             "open JUMP1984.MID type sequencer alias jazz"};
const std::string Play = "play jazz from 0", Stop = "stop jazz", Close = "close jazz";

class MusicTest : public ScratchFolderTest {
  protected:
    void SetUp() override {
        ScratchFolderTest::SetUp();
        for (const char* piece : MusicPieces)
            fs::copy_file(fs::path(SKIRMO_DATA_DIR) / piece, dir / piece);
        OpenWindow();
    }

    // The commands sent since the last call (message boxes stay), with their results ("!" marks a
    // failure).
    Commands Sent() {
        Commands c;
        for (const TestEvent& e : TestEvents())
            if (e.kind == "mci") c.push_back(e.command + (e.result == "0" ? "" : " !"));
        std::erase_if(TestEvents(), [](const TestEvent& e) { return e.kind == "mci"; });
        return c;
    }

    // The music's own messages (coming back to the game reloads pictures too, and this folder
    // holds none).
    std::vector<TestEvent> MusicBoxes() {
        std::vector<TestEvent> boxes = MessageBoxes();
        std::erase_if(boxes,
                      [](const TestEvent& e) { return e.caption != "MCI music load error"; });
        return boxes;
    }

    // A level's start, as the game's flow makes it.
    void LevelStart(int level) {
        OpenMusic(level);
        PlayMusicFromStart();
    }
};

TEST_F(MusicTest, ResumingPlaysOnWithoutGoingBackToTheStart) {
    LevelStart(1);
    StopMusic();
    ResumeMusic();
    EXPECT_EQ(Sent(), (Commands{Open[1], Play, Stop, "play jazz"}));
}

TEST_F(MusicTest, AMissingFirstPieceIsSaidAtEveryStartOfLevelOne) {
    fs::remove("DREAMS.MID");
    const std::string text = std::string("Failed to load midi, check the directory skirmo.exe is "
                                         "in, if it's not there, redownload skirmo.zip, if it is, "
                                         "let ") +
                             SupportAddress + " know about this error";
    LevelStart(TitleMusicPiece);
    Sent();
    LevelStart(0);
    EXPECT_EQ(Sent(), (Commands{Stop, Close, Open[0] + " !"})) << "no play without a piece";
    std::vector<TestEvent> boxes = MusicBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "MCI music load error");
    EXPECT_EQ(boxes[0].text, text);

    // Level 1 goes on in silence; switching away and back sends nothing.
    MainWindowProc(MainWindow, WM_ACTIVATEAPP, 0, 0);
    MainWindowProc(MainWindow, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(Sent(), Commands{});
    LevelStart(1);
    EXPECT_EQ(Sent(), (Commands{Open[1], Play})) << "the next level has its music";

    CloseMusic(); // game over, then a retry from level 1
    LevelStart(0);
    EXPECT_EQ(Sent(), (Commands{Stop, Close, Open[0] + " !"}));
    EXPECT_EQ(MusicBoxes().size(), 2u);
}

TEST_F(MusicTest, AfterAFailedPlayNothingMoreIsSentForThatPiece) {
    OpenMusic(2);
    // The sequencer loses the piece behind the game's back, so the play fails.
    mciSendStringA("close jazz", nullptr, 0, nullptr);
    Sent();
    PlayMusicFromStart();
    EXPECT_EQ(Sent(), (Commands{Play + " !"}));
    EXPECT_EQ(MusicLoaded, 0);
    EXPECT_EQ(MusicStarted, 1);
    MainWindowProc(MainWindow, WM_ACTIVATEAPP, 0, 0);
    MainWindowProc(MainWindow, WM_ACTIVATEAPP, 1, 0);
    CloseMusic();
    EXPECT_EQ(Sent(), Commands{});
    EXPECT_EQ(MusicStarted, 0);
    LevelStart(3);
    EXPECT_EQ(Sent(), (Commands{Open[3], Play}));
    EXPECT_TRUE(MusicBoxes().empty()) << "a failed play is silent";
}

} // namespace
