// game_flow.cpp -- loading, levels, and the checks between frames
//
// Five levels of fifteen enemies each; winning the fifth ends the game with the closing pages,
// losing the last life offers a retry from the first. Every wait here (fades, wipes, prompts)
// spins inside the frame step on the clock and the keyboard, writing straight onto the visible
// screen; the next flip replaces whatever they leave there.
#include "app/game_flow.h"

#include <cstring>

#include "core/game_clock.h"
#include "core/random.h"
#include "core/program.h"
#include "app/text_screens.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "combat/craft.h"
#include "combat/shots.h"
#include "display/bitmaps.h"
#include "display/display.h"
#include "display/pixels.h"
#include "display/wipes.h"
#include "platform/api/gdi.h"
#include "platform/api/timer.h"
#include "platform/api/window.h"
#include "world/clouds.h"
#include "core/headings.h"
#include "core/keyboard.h"
#include "world/landscape.h"

namespace {

const char* const OopsLine = "Oops! Couldn't get it done this time eh?";
const char* const RetryLine = "Would you like to try again? (y or n)";
const char* const QuitLine = "Are you sure you want to quit? (y or n)";

void DrawText(HDC dc, int x, int y, const char* text) {
    TextOutA(dc, x, y, text, int(std::strlen(text)));
}

// Asks in yellow on the wiped screen, under an optional first line, and spins until Y or N is
// held; the lines are then drawn over in black. True when Y is held at one more look after that:
// a Y let go meanwhile counts as no.
bool AskYesOrNo(const char* above, const char* question) {
    HDC dc = GetSurfaceDC(PrimarySurface);
    auto draw = [&] {
        if (above) DrawText(dc, 50, 50, above);
        DrawText(dc, 50, 70, question);
    };
    if (dc) {
        SetBkColor(dc, RGB(0, 0, 0));
        SetTextColor(dc, RGB(255, 255, 0));
        draw();
    }
    while (!KeyHeld('Y') && !KeyHeld('N')) {
    }
    if (dc) {
        SetTextColor(dc, RGB(0, 0, 0));
        draw();
        ReleaseSurfaceDC(PrimarySurface, dc);
    }
    return KeyHeld('Y');
}

// Ends the game: the credits and thanks pages under the title music, then the quit request.
// The frame step in which this happens still runs to its end.
void ShowClosingPagesAndQuit(bool congratulate) {
    OpenMusic(TitleMusicPiece);
    PlayMusicFromStart();
    if (congratulate) ShowTextScreen(CongratulationsScreen);
    ShowTextScreen(CreditsScreen);
    ShowTextScreen(ThanksScreen);
    AppActive = 0;
    PostMessageA(MainWindow, WM_QUIT, 0, 0);
}

void LevelEndCheck() {
    if (EnemiesRemaining != 0) return;
    if (CurrentLevel < 4) {
        ++CurrentLevel;
        ScreenWipe(WipeRows);
        StartLevel(CurrentLevel);
        return;
    }
    PlaySoundSlot(SlotEndOfGame, 0);
    ScreenWipe(WipeRows);
    CloseMusic();
    ShowClosingPagesAndQuit(true);
}

void GameOverCheck() {
    // The last frame of the player's destruction, with no ship left.
    if (PlayerCraft.Countdown != 1 || PlayerLives != 0) return;
    PlaySoundSlot(SlotEndOfGame, 0);
    ScreenWipe(WipeColumns);
    CloseMusic();
    if (AskYesOrNo(OopsLine, RetryLine)) {
        CurrentLevel = 0;
        PlayerLives = StartingLives;
        ClearShots();
        InitShotList();
        StartLevel(0);
    } else {
        ShowClosingPagesAndQuit(false);
    }
}

void QuitCheck() {
    if (!KeyHeld(VK_ESCAPE)) return;
    ScreenWipe(WipeColumns);
    WaitForKeyRelease(VK_ESCAPE);
    if (AskYesOrNo(nullptr, QuitLine)) {
        CloseMusic();
        ShowClosingPagesAndQuit(false);
    }
    // No: the music never stopped, and the next flip covers the black screen.
}

} // namespace

void LoadGame() {
    GameSrand(std::uint32_t(GetCalendarTime()));
    AnalysePixelFormat(PrimarySurface, &PixelFormatInfo);
    ClearCraft();
    LoadFlashMask();
    // Level 0 is set up before the tables, sounds and craft pictures exist; it needs none of
    // them, and the pictures are handed out again below.
    StartLevel(CurrentLevel);
    BuildHeadingTables();

    // Each load takes the lowest free slot, so they land in slots 0 to 6 in this order.
    LoadVocSound("plyrshot.voc");
    SetSlotFrequency(SlotPlayerShot, 7000);
    SetSlotVolume(SlotPlayerShot, 80);
    LoadVocSound("pickup.voc");
    SetSlotFrequency(SlotEnemyHit, 11020);
    SetSlotVolume(SlotEnemyHit, 80);
    LoadVocSound("boom.voc");
    SetSlotFrequency(SlotEnemyDestroyed, 8000);
    SetSlotVolume(SlotEnemyDestroyed, 80);
    LoadVocSound("plyrshot.voc");
    SetSlotFrequency(SlotEnemyShot, 11000);
    SetSlotVolume(SlotEnemyShot, 80);
    LoadVocSound("pickup.voc");
    SetSlotFrequency(SlotPlayerHit, 10000);
    SetSlotVolume(SlotPlayerHit, 80);
    LoadVocSound("boom.voc");
    SetSlotFrequency(SlotPlayerDestroyed, 9000);
    SetSlotVolume(SlotPlayerDestroyed, 80);
    LoadWavSound("terrible.wav", 224);
    SetSlotFrequency(SlotEndOfGame, 22000);
    SetSlotVolume(SlotEndOfGame, 100);

    LoadSurfaceBitmaps();
    SeedClouds();
    LoadSpriteImages();
    AssignCraftImages(CurrentLevel);
    InitShotList();
}

void StartLevel(int level) {
    ResumeTiming = 1;
    LevelTitleIn(level);
    if (level > 0) {
        ClearShots();
        InitShotList();
    }
    OpenMusic(level);
    LoadWorldMap("world.dat");
    EnemiesSpawned = 0;
    SetUpCraftForLevel();
    AssignCraftImages(CurrentLevel);
    EnemySpawnLimit = EnemiesPerLevel;
    EnemiesRemaining = EnemySpawnLimit;
    PlayMusicFromStart();
    LevelTitleOut(level);
}

void CheckGameFlow() {
    // All three are looked at in every call, even after one of them acted.
    LevelEndCheck();
    GameOverCheck();
    QuitCheck();
}
