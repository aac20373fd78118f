// music.cpp -- one piece of music at a time, under the sequencer alias "jazz"
//
// MusicLoaded says whether the alias holds a piece we may talk to: every command but open is
// sent only then, so a piece that failed to open or to play is never stopped or closed.
// MusicStarted says whether a play was asked for since the last close; opening closes first
// only then.
#include "audio/music.h"

#include <cstdio>
#include <string>

#include "core/game_globals.h"
#include "core/program.h"
#include "core/texts.h"
#include "platform/api/mmsystem.h"
#include "platform/api/window.h"

const char MusicPieces[MusicPieceCount][14] = {"DREAMS.MID",   "CRAZYTRN.MID", "BLACKAN.MID",
                                               "JUMP1984.MID", "BEAUTIF.MID",  "CAIRO.MID"};
std::int32_t MusicLoaded = 0;
std::int32_t MusicStarted = 0;

static const GlobalsReset Reset(MusicLoaded, MusicStarted);

namespace {

// 0 is success.
DWORD SendMusicCommand(const char* command) { return mciSendStringA(command, nullptr, 0, nullptr); }

void PlayMusic(const char* command) {
    if (MusicLoaded == 1 && SendMusicCommand(command) != 0) MusicLoaded = 0;
    MusicStarted = 1;
}

} // namespace

void OpenMusic(int piece) {
    if (SoundEnabled == 0) return;
    // Callers pass a level (0 to 4) or the title piece; anything else names no file.
    if (piece < 0 || piece >= MusicPieceCount) return;
    if (MusicStarted == 1) CloseMusic();
    char command[64];
    std::snprintf(command, sizeof command, "open %s type sequencer alias jazz", MusicPieces[piece]);
    if (SendMusicCommand(command) == 0) {
        MusicLoaded = 1;
        return;
    }
    MusicLoaded = 0;
    std::string text = std::string("Failed to load midi, check the directory skirmo.exe is in, if "
                                   "it's not there, redownload skirmo.zip, if it is, let ") +
                       SupportAddress + " know about this error";
    MessageBoxA(MainWindow, text.c_str(), "MCI music load error", MB_OK);
}

void PlayMusicFromStart() {
    if (SoundEnabled == 0) return;
    PlayMusic("play jazz from 0");
}

void ResumeMusic() {
    if (SoundEnabled == 0) return;
    PlayMusic("play jazz");
}

void StopMusic() {
    if (SoundEnabled == 0) return;
    if (MusicLoaded == 1) SendMusicCommand("stop jazz");
}

void CloseMusic() {
    if (SoundEnabled == 0) return;
    if (MusicLoaded == 1) {
        StopMusic();
        SendMusicCommand("close jazz");
    }
    MusicStarted = 0;
}
