// sdl_state.h -- what the real platform's files share (platform-internal)
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/emulation/message_queue.h"

// Starts SDL's video and events once. False (with a line on standard error) when there is no
// display to talk to.
bool EnsureVideo();

// Moves what the desktop sent into SDL's queue and the keyboard's state, at most once a
// millisecond (the game polls far more often inside its waits).
bool PumpEvents(); // true when it took them in this time
// Whether SDL's queue holds a request to close the game's window (the desktop's close, Alt+F4).
bool CloseWaiting();

// Ends the program now with status, the clean way: the sound faded and closed, the window gone,
// the desktop as it was; then line (if any) on standard error.
[[noreturn]] void EndProgramNow(int status, const char* line);

// While a demo plays (demo_sdl.cpp): takes the desktop's events that the game must not see. Esc,
// a pad's Back or the window's close end the program (status 0); the rest goes unused, since the
// recording's messages are what the game sees.
void ServeDemoViewer();

// The virtual-key code of an SDL key (0 for keys the game has no name for), and the other way:
// the key that types a letter on the player's layout, or SDLK_UNKNOWN.
int VirtualKeyOf(SDL_Keycode key);
SDL_Keycode KeycodeFor(int virtualKey);

// Creates the renderer for the window, and drops it.
bool ScreenOpen(SDL_Window* window);
void ScreenClose();
// Reads the refresh period of the display the window is on (again after it moved).
void ScreenReadRefresh(SDL_Window* window);
// The display the game's window and dialog go on: the one holding the mouse, or the primary.
int ChosenDisplay();
// The size in pixels of what the window shows.
void ScreenOutputSize(int* w, int* h);
// Shows a black desktop with a 32-bit picture centred on it (the dialog).
void ScreenShowPicture(const std::uint32_t* pixels, int width, int height);
// The window was exposed or resized while the dialog showed: paint it whole again.
void ScreenExposed();
// Shows the game's picture again, and the message box over it, when the window was exposed or
// resized since the last look (every poll looks).
void ScreenRepaintIfExposed();
// A message box of width by height 32-bit pixels centred over the game's picture (or over black
// before there is one), until it is taken away with null.
void ScreenShowBox(const std::uint32_t* pixels, int width, int height);
// The game polled the clock, or the keyboard or its messages: show a changed front surface if
// a refresh has passed, and give the processor back when the game is only waiting (on a clock
// poll not during a wipe, which holds the front surface locked).
void ScreenOnClockPoll();
void ScreenOnWaitingPoll();

// Without graphics hardware on a desktop that gives windows their own memory, the processor
// draws straight into the window (screen_surface.cpp). SurfaceOpen is false where it cannot
// (the renderer is kept then); the others mirror the renderer's work.
struct SurfaceMemory;
struct FitRect;
bool SurfaceOpen(SDL_Window* window);
void SurfaceClose();
void SurfaceExposed();
void SurfaceOutputSize(int* w, int* h);
void SurfaceShowBlack();
// Shows the front surface; only the changed rectangle (in its pixels) unless the window must be
// painted whole.
void SurfaceShowFrame(const SurfaceMemory& front, const FitRect& changed);
void SurfaceShowPicture(const std::uint32_t* pixels, int width, int height);
// The same picture centred over what the window shows (the message box).
void SurfaceShowOver(const std::uint32_t* pixels, int width, int height);

// The game's window (window_mode_sdl.cpp): made full screen or as a window, as the player left it
// or as the command line says (desktop.h), with its news watched from then on. Null on failure.
SDL_Window* MakeGameWindow(const char* title, bool visible);
// F11 (full screen or a window) and F12 (a screenshot), without Alt, Ctrl or the logo key: the
// desktop's keys, which never reach the game.
bool IsDesktopKey(const SDL_Keysym& key);
// The game's picture is now width by height: a window the player has not sized follows it.
void WindowFitsGame(int width, int height);
// The window is minimised or hidden: nobody sees it.
bool GameWindowHidden();
// At every poll: takes the pads' news and carries out F11 and F12 pressed since.
void ServeDesktopRequests();
// The program ends: the window's settings are kept, the screenshots finished, the pads closed.
void DesktopServicesEnd();

// Game pads (pad_sdl.cpp). ServePads starts SDL's game controllers the first time, opens and
// closes pads as they come and go, and reads what they hold into gamepad.h. PadButtonKey is the
// key whose message a press of an SDL controller button posts, or 0.
void ServePads();
void ClosePads();
int PadButtonKey(int button);

// The program ends now: the whole sound output fades to silence over a few milliseconds and then
// closes; its thread reads nothing from then on.
void SoundOutputEnd();

// SDL reported that an audio output device went away; the sound output moves to the default
// device if it was that one.
void SoundDeviceRemoved(std::uint32_t device);
// The sound output, opened for the music if need be and kept for it until the program ends;
// false when there is none. Gives the device's frames per second and per callback.
bool SoundOutputForMusic(int* rate, int* period);

// The music (music_sdl.cpp). MixMusic adds what the music thread has rendered to the audio
// callback's frames, never waiting for it. EndMusic stops the music thread and frees the
// synthesizer, once the callback no longer runs.
void MixMusic(float* out, int frames);
void EndMusic();
// Whether the synthesizer would load this MIDI file and find something in it to play: asked of
// a synthesizer of its own, so any file may be asked about at any time (the player's loader
// never returns on some files; IsPlayableMidi turns those away first).
bool SynthWouldPlay(const std::vector<std::uint8_t>& piece);
// Where the General MIDI sound font is looked for, the most complete first.
extern std::vector<std::string> SoundFontPaths;

// How the machine waits and runs work beside the game (machine_sdl.cpp on the desktop; a page
// links its own, since it has no threads and must hand the browser its turn instead of sleeping).
void RestFor(std::chrono::nanoseconds time);
// Returns the time the game goes on from: due on the desktop, whose flips keep their cadence
// through a late wake-up; in a page, when the display frame that ended the rest began.
std::chrono::steady_clock::time_point RestUntil(std::chrono::steady_clock::time_point due);
// A rest while the picture stands still and the game waits for the player (a page held, the
// pause line, a question): the desktop sleeps 8 ms, which still sees a key within a frame; a
// page rests longer and is woken by the player's first key, click or switch of tab.
void RestWhileStill();
// Called at each of the game's polls: the desktop needs nothing here.
void BreatheAtPoll();
// Shows what was rendered (SDL_RenderPresent), without SDL's own turn for the browser in a page:
// the page's waits hand it over on their own terms.
void PresentRenderer(SDL_Renderer* renderer);
// Runs work on a thread of its own, left to itself; false when the machine has no threads.
bool RunDetached(std::function<void()> work);
// A demo has ended: why (as the replay runner says it: "program ended", "not as recorded",
// "recording ran out", ...) and the program's status. The desktop's status and its lines on
// standard error say it all; a page shows it to the viewer and to whoever embeds the page.
void DemoOver(const std::string& why, int status);
