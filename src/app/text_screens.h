// text_screens.h -- the full-screen text pages that fade in and out
#pragma once

enum TextScreen {
    StoryScreen = 0,
    CreditsScreen = 1,
    KeysScreen = 2,
    ThanksScreen = 3,
    CongratulationsScreen = 4
};

// Shows one page on the visible screen: fade in, wait for Space, fade out.
void ShowTextScreen(TextScreen screen);
// The loading screen's two fades of "Initializing level N", before and after the level's set-up.
void LevelTitleIn(int level);
void LevelTitleOut(int level);
