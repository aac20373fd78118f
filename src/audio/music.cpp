// music.cpp -- one piece of music at a time
#include "audio/music.h"

// The music player comes with its own piece of work; start-up, the activation changes and the
// window's clean-up already call these in their places.
void OpenMusic(int) {}
void PlayMusicFromStart() {}
void StopMusic() {}
void CloseMusic() {}
