// music.h -- one piece of music at a time through the MIDI sequencer
#pragma once

// Not built yet: each of these does nothing until the music player exists.
void OpenMusic(int piece);
void PlayMusicFromStart();
void StopMusic();
void CloseMusic();
