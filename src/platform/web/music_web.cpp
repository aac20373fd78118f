// music_web.cpp -- the page's music commands: answered as the desktop answers them, silent yet
//
// FluidSynth does not build for the page (it needs glib). The commands are answered as on the
// desktop, so the game behaves the same: a file the synthesizer would not play was already turned
// away by IsPlayableMidi, the shared judge, and a missing sound output fails the open. Nothing is
// heard yet: js-synthesizer (FluidSynth built for WebAssembly) in an AudioWorklet comes next.
#include "platform/emulation/backend.h"
#include "platform/sdl/sdl_state.h"

namespace {

// The desktop's error numbers for these answers (music_sdl.cpp).
constexpr DWORD MusicCannotLoadDriver = 266;
constexpr DWORD MusicCannotPlay = 277;

bool PieceOpen = false;
bool OutputThere = false;

} // namespace

DWORD BackendMci(MciVerb verb, const std::vector<std::uint8_t>* piece, const char*) {
    switch (verb) {
    case MciVerb::Open: {
        int rate = 0, period = 0;
        if (!piece) return MusicCannotPlay;
        if (!SoundOutputForMusic(&rate, &period)) return MusicCannotLoadDriver;
        OutputThere = true;
        PieceOpen = true;
        return 0;
    }
    case MciVerb::PlayFromStart:
    case MciVerb::Play:
        if (!OutputThere) return MusicCannotLoadDriver;
        return PieceOpen ? 0 : MusicCannotPlay;
    case MciVerb::Stop:
        return 0;
    case MciVerb::Close:
        PieceOpen = false;
        return 0;
    }
    return MusicCannotPlay;
}

void BackendMciSent(const char*, DWORD) {}

void MixMusic(float*, int) {}

void EndMusic() { PieceOpen = false; }
