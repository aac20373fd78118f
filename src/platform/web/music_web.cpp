// music_web.cpp -- the page's music commands: the desktop's answers, played by the page's synth
//
// FluidSynth does not build for the page with the game (it needs glib), so the page runs its
// WebAssembly build in an AudioWorklet of its own (music.js, music_worklet.js), and these
// commands go there. The answers are the desktop's: a file the synthesizer would not play was
// already turned away by IsPlayableMidi, the shared judge; no sound output, or a browser that
// cannot run the synthesizer, fails the open as a missing synthesizer does on the desktop. The
// worklet never answers back: a command is carried out on the audio thread, after the answer.
#include <emscripten.h>

#include "platform/emulation/backend.h"
#include "platform/sdl/sdl_state.h"

namespace {

// The desktop's error numbers for these answers (music_sdl.cpp).
constexpr DWORD MusicCannotLoadDriver = 266;
constexpr DWORD MusicCannotPlay = 277;

bool PieceOpen = false;
bool SynthThere = false; // the worklet was started (on the first piece)

// The page's side (music.js). The piece's bytes are copied out of the game's memory.
EM_JS(int, MusicOpenInPage, (const std::uint8_t* bytes, int size),
      { return velmoraMusic.open(HEAPU8.slice(bytes, bytes + size)) ? 1 : 0; });
EM_JS(void, MusicPlayInPage, (int fromStart), { velmoraMusic.play(fromStart != 0); });
EM_JS(void, MusicStopInPage, (), { velmoraMusic.stop(); });
EM_JS(void, MusicCloseInPage, (), { velmoraMusic.close(); });
EM_JS(void, MusicEndInPage, (), { velmoraMusic.end(); });

} // namespace

DWORD BackendMci(MciVerb verb, const std::vector<std::uint8_t>* piece, const char*) {
    if (verb == MciVerb::Open) {
        // The music opens the output itself: a game without effects still has its music.
        int rate = 0, period = 0;
        if (!piece) return MusicCannotPlay;
        if (!SoundOutputForMusic(&rate, &period) ||
            !MusicOpenInPage(piece->data(), int(piece->size())))
            return MusicCannotLoadDriver;
        SynthThere = true;
        PieceOpen = true;
        return 0;
    }
    if (!SynthThere)
        return verb == MciVerb::Close || verb == MciVerb::Stop ? 0 : MusicCannotLoadDriver;
    switch (verb) {
    case MciVerb::PlayFromStart:
    case MciVerb::Play:
        if (!PieceOpen) return MusicCannotPlay;
        MusicPlayInPage(verb == MciVerb::PlayFromStart);
        return 0;
    case MciVerb::Stop:
        MusicStopInPage();
        return 0;
    case MciVerb::Close:
        MusicCloseInPage();
        PieceOpen = false;
        return 0;
    case MciVerb::Open:
        break;
    }
    return MusicCannotPlay;
}

void BackendMciSent(const char*, DWORD) {}

// The music does not pass through SDL's callback here: the worklet plays into the same
// AudioContext beside it.
void MixMusic(float*, int) {}

void EndMusic() {
    if (SynthThere) MusicEndInPage();
    SynthThere = false;
    PieceOpen = false;
}
