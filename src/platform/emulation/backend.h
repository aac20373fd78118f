// backend.h -- what the shared platform code asks of the machine it runs on (platform-internal)
//
// Two backends implement this: the real one (sdl/) shows surfaces in a desktop window, the
// test one (test/) records everything and keeps a virtual clock. The game never includes this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/api/ddraw.h"
#include "platform/api/window.h"

// --- the machine's raw readings ---
//
// Every answer the game reads from the machine (the keys, the counter, the calendar, the
// messages) is written once, in keyboard.cpp, clock.cpp and message_queue.cpp, with its signal
// check, its close check, the pad's keys, the recording and the demo. A backend gives only these
// readings.

enum class Poll { Keyboard, Clock, Messages };
// Each poll first lets the machine move on: the desktop takes in its events (at most once a
// millisecond) and rests the processor in a long wait; the test platform moves its virtual clock
// on by a poll's time and plays its script up to there. True when the desktop's news were taken
// in this time, so that a close left waiting is worth asking about.
bool BackendPoll(Poll poll);
// The machine's time now, in nanoseconds: the pad's questions and a waiting close are timed by it.
std::int64_t BackendNowNs();
// A close request (the window's close, Alt+F4) waits unread.
bool BackendCloseWaiting();
// The keyboard can be read now (the desktop's needs a window), and whether it holds a key.
bool BackendKeyboardThere();
bool BackendKeyHeld(int vKey);
// The counter's counts per second (0: there is none), and a reading (false: it failed).
std::int64_t BackendCounterFrequency();
bool BackendCounterReading(std::int64_t* count);
// True for a virtual counter (the test platform's): it counts nanoseconds, and a recording keeps
// its readings as they are. A real one is recorded in a counter of its own (clock.cpp).
bool BackendCounterVirtual();
// Seconds since 1970.
std::int64_t BackendCalendar();
// The desktop's next event as a message, after those the platform posted itself; false when none.
bool BackendNextMessage(MSG* msg);
// Around each frame step: the test platform's hooks and its end of a run.
void BackendFrameStepBegins();
void BackendFrameStepEnded();

// The memory and bookkeeping behind one IDirectDrawSurface.
struct SurfaceMemory {
    int width = 0;
    int height = 0;
    int pitch = 0; // bytes
    std::uint8_t* pixels = nullptr;
    bool primary = false;
    IDirectDrawSurface* attached = nullptr; // a primary's back buffer
    IDirectDrawSurface* owner = nullptr;    // a back buffer's primary
    bool lost = false;
    bool locked = false;
    bool dcOut = false;
    bool colourKey = false;
    std::uint16_t keyLow = 0;
    std::uint16_t keyHigh = 0;
    DeviceContext* dc = nullptr;
};

// The steps of setting up the display that the test platform can make fail.
enum class DisplayStep { Create, CooperativeLevel, DisplayMode, Surface, BackBuffer };

// True when the backend wants this step to fail (the test platform's failure injection); index
// counts the surface creations from 0.
bool BackendFailDisplayStep(DisplayStep step, int index);
// 5-6-5 (false) or 5-5-5 (true) surfaces.
bool BackendPixelFormat555();
// Extra bytes at the end of every surface row, so that pitch > 2 * width is exercised.
int BackendPitchPadding();
// The display mode is being set: the screen is now width by height. False when the machine
// cannot show a picture of that size (the mode then fails).
bool BackendSetDisplayMode(int width, int height);
// The display object went away.
void BackendDisplayReleased();
// Flip: show this front surface; wait for the next refresh when wait is true.
void BackendShowFlipped(const SurfaceMemory& front, bool wait);
// The front surface was written outside a flip (text, wipes); show it soon.
void BackendFrontWritten(const SurfaceMemory& front);
// The front surface, or null while there is no display.
const SurfaceMemory* DisplayFront();
// Frees every surface and the display object, whoever still holds them (a new test run).
void ResetDisplayObjects();
// Puts everything the shared platform code holds back as at the program's start: surfaces and
// the display object, the sound service and its buffers, the message queue and the dialog, the
// music's alias, the noted end signals (reset.cpp). The test platform's start calls it; a new
// piece of shared state joins there.
void ResetSharedPlatform();
// All surfaces that exist, for the test platform's "surface lost" events, and their number.
void DisplayMarkAllLost();
int DisplayLiveSurfaceCount();

// A device context handed out by GetDC: the surface it draws on and its two colours.
struct DeviceContext {
    IDirectDrawSurface* surface = nullptr;
    COLORREF textColour = RGB(0, 0, 0);
    COLORREF backColour = RGB(255, 255, 255);
};

// A COLORREF in the surfaces' 16-bit format (each channel's low bits cut off), and back.
std::uint16_t ColourToPixel(COLORREF colour);
COLORREF PixelToColour(std::uint16_t pixel);

// A platform call the game made, for the test platform's call trace (tests pin the order of
// start-up, activation and shut-down with it); the real platform ignores it.
void BackendCall(const char* name);
// A game file was read whole (ReadGameFile): its bytes, or null when it was missing or could not
// be read. The test platform traces it and names sound buffers by it; the real platform ignores it.
void BackendGameFileRead(const char* name, const std::vector<std::uint8_t>* bytes);

// A line of text was drawn (the test platform's virtual clock charges time for it).
void BackendTextDrawn();

// A BMP file's bytes as a new 32-bit surface, 0xAARRGGBB (the caller frees it): null when they
// hold no BMP, or one that claims an unreasonable size (bmp_decoder.cpp).
struct SDL_Surface;
SDL_Surface* DecodeBmp(const std::uint8_t* bytes, std::size_t size);

// --- sound ---

struct SoundBufferData;

// Opens / closes the sound output. False when there is none, with the reason in why.
bool BackendOpenSound(std::string& why);
void BackendCloseSound();
// Keeps the mixer away while buffers change (the real platform mixes on another thread).
void BackendLockSound();
void BackendUnlockSound();
// What a buffer holds and how it plays, for the test platform's log.
const std::vector<std::uint8_t>& SoundBufferSamples(const SoundBufferData& buffer);
DWORD SoundBufferFrequency(const SoundBufferData& buffer);
LONG SoundBufferVolume(const SoundBufferData& buffer);
bool SoundBufferLooping(const SoundBufferData& buffer);
// A buffer's samples were written (unlocked), or it started or stopped playing (the test
// platform names it by its samples' file, and records the playing).
void BackendSoundWritten(const SoundBufferData& buffer);
void BackendSoundPlayed(const SoundBufferData& buffer);
void BackendSoundStopped(const SoundBufferData& buffer);

// Releases the sound service and every buffer still there (a new test run).
void ResetSoundService();
// How many sound buffers exist.
int SoundBufferCount();

// Mixes every playing buffer into interleaved stereo floats at outputRate, adding to what out
// holds, and moves their positions on; a buffer that reaches its end stops (or wraps when
// looping). Called with the sound lock held.
void MixSoundBuffers(float* out, int frames, int outputRate);

// One MIDI sequencer command, understood; the backend carries it out (Open comes with the
// whole MIDI file, already read and found playable). Returns 0 on success.
enum class MciVerb { Open, PlayFromStart, Play, Stop, Close };
DWORD BackendMci(MciVerb verb, const std::vector<std::uint8_t>* piece, const char* command);
// Every command sent, understood or not, with its result (the test platform records it).
void BackendMciSent(const char* command, DWORD result);
// Forgets the open alias (a new test run).
void ResetMci();
// True when the synthesizer that plays the music would load this file and find something in it
// to play. Read by the rules of the synthesizer's loader, so the test platform, which has no
// synthesizer, judges as the real one does; the real platform asks its synthesizer too.
bool IsPlayableMidi(const std::vector<std::uint8_t>& file);
