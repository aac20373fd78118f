// music.cpp -- one piece of music at a time
#include "audio/music.h"

#include "app/game_globals.h"

const char MusicPieces[MusicPieceCount][14] = {"DREAMS.MID",   "CRAZYTRN.MID", "BLACKAN.MID",
                                               "JUMP1984.MID", "BEAUTIF.MID",  "CAIRO.MID"};
std::int32_t MusicLoaded = 0;
std::int32_t MusicStarted = 0;

static const GlobalsReset Reset([] { MusicLoaded = MusicStarted = 0; });

// Not built yet: start-up, the activation changes and the window's clean-up already call these
// in their places; the sound work fills them in.
void OpenMusic(int) {}
void PlayMusicFromStart() {}
void ResumeMusic() {}
void StopMusic() {}
void CloseMusic() {}
