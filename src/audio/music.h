// music.h -- one piece of music at a time through the MIDI sequencer
//
// Every operation does nothing while SoundEnabled is 0. A piece plays once from its start;
// nothing makes it loop.
#pragma once

#include <cstdint>

constexpr int MusicPieceCount = 6;
constexpr int TitleMusicPiece = 5; // CAIRO.MID, under the opening and closing screens

extern const char MusicPieces[MusicPieceCount][14];
extern std::int32_t MusicLoaded;  // 1 after a successful open; other commands only then
extern std::int32_t MusicStarted; // 1 once a play was asked for since the last close

void OpenMusic(int piece);
void PlayMusicFromStart();
void StopMusic();
void CloseMusic();
// Play on from where the piece stopped: designed with the others, called by nothing in the game.
void ResumeMusic();
