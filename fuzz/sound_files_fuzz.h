// sound_files_fuzz.h -- the sound loaders' fuzz targets share their set-up
#pragma once

#include "core/game_globals.h"
#include "core/program.h"
#include "audio/sound.h"
#include "platform/test/test_platform.h"
#include "platform/api/window.h"

// A fresh sound service with every slot free, as loading finds it, bound to the game's window.
inline void FreshSoundService() {
    static HWND window = nullptr;
    if (!window) {
        TestPlatformStart({});
        window = TestOpenWindow(640, 480);
    }
    ResetGameGlobals();
    TestEvents().clear(); // the record of plays would otherwise grow with every input
    MainWindow = window;
    SoundEnabled = 1;
    if (!InitSound()) __builtin_trap();
}

// A loaded slot plays and stops like any other.
inline void PlayWhatWasLoaded(int slot) {
    if (slot < 0) return;
    SetSlotFrequency(slot, 11000);
    SetSlotVolume(slot, 80);
    PlaySoundSlot(slot, 0);
    StopSoundSlot(slot);
}
