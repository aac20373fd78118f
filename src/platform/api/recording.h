// recording.h -- a game recorded as it is played, to be played again (skirmo --record FILE)
//
// While recording, the platform keeps everything the game reads from the machine (the calendar
// time, the clock's readings, the keys' answers, the window's messages, the dialog's answers,
// message boxes, whether the sound output and the music answered) and, with every frame the game
// shows, a checksum of the picture and of the game's state. skirmo --demo FILE gives the game the
// same answers in the real window, skirmo-replay --demo FILE on the test platform, and both check
// that it shows and holds the same.
#pragma once

#include <string>

// Starts recording into a file made anew at path, before the game starts; note says what made
// it ("skirmo 1.0.0"). False, with the reason in why, when the file cannot be made. Recording
// gives the game a counter of a million counts a second that never reads the same twice, so
// that the clock's readings make a small file.
bool StartRecording(const std::string& path, const std::string& note, std::string& why);
// How the program describes the game's state (its globals, as text). A recording keeps a
// checksum of it with every frame shown and the whole text at the end; a demo compares.
void DescribeGameStateWith(std::string (*describe)());
// The program ends with this status: the recording gets its ending and is closed. Returns status.
// A recording that could not be written whole is named on standard error, with why. Does nothing
// when nothing is being recorded.
int FinishRecording(int status);

// Plays the game recorded in the file at path instead of the player's (skirmo --demo FILE), in
// the real window at the speed it was played, before the game starts. False, with the reason in
// why, when the file holds no recording. A demo that does not play as recorded ends the program
// with status 3 and says why on standard error; Esc ends it with 0.
bool StartDemo(const std::string& path, std::string& why);
// The program ends with this status: after a demo, the same when the game ended as the recorded
// one did, else 3 with what differed on standard error. Returns status when no demo played.
int FinishDemo(int status);
