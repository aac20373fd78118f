// music_render.cpp -- a piece rendered as the desktop's music thread renders it, into a WAV file
//
// The page's test renders level 1's piece with the page's synthesizer (level1-music.wav); this
// renders it the way the desktop's music thread does (music_sdl.cpp: gain 0.4, FluidSynth's own
// reverb and chorus, the player timed by the samples, 512 frames at a time), into the same
// kind of file, so the two can be set side by side with sox. Not part of the build:
//   c++ -O2 tools/web/music_render.cpp $(pkg-config --cflags --libs fluidsynth) -o music_render
//   ./music_render /usr/share/sounds/sf2/TimGM6mb.sf2 data/DREAMS.MID 44100 60 desktop.wav
//   sox desktop.wav -n stat
// Usage: music_render FONT.sf2 PIECE.MID RATE SECONDS OUT.wav (16-bit stereo).
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void Put(std::vector<std::uint8_t>& out, const char* text) {
    out.insert(out.end(), text, text + 4);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: music_render FONT.sf2 PIECE.MID RATE SECONDS OUT.wav\n");
        return 2;
    }
    const int rate = std::atoi(argv[3]);
    const long frames = long(std::atof(argv[4]) * rate);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", double(rate));
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth || fluid_synth_sfload(synth, argv[1], 1) == FLUID_FAILED) {
        std::fprintf(stderr, "music_render: the synthesizer did not take %s\n", argv[1]);
        return 1;
    }
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_set_loop(player, 1);
    if (fluid_player_add(player, argv[2]) != FLUID_OK || fluid_player_play(player) != FLUID_OK) {
        std::fprintf(stderr, "music_render: the player did not take %s\n", argv[2]);
        return 1;
    }
    constexpr int Chunk = 512;
    std::vector<float> samples(2 * std::size_t(frames + Chunk));
    for (long at = 0; at < frames; at += Chunk)
        fluid_synth_write_float(synth, Chunk, &samples[2 * at], 0, 2, &samples[2 * at], 1, 2);

    std::vector<std::uint8_t> wav;
    const std::uint32_t data = std::uint32_t(4 * frames);
    Put(wav, "RIFF");
    Put(wav, 36 + data, 4);
    Put(wav, "WAVE");
    Put(wav, "fmt ");
    Put(wav, 16, 4);
    Put(wav, 1, 2); // PCM
    Put(wav, 2, 2);
    Put(wav, std::uint32_t(rate), 4);
    Put(wav, std::uint32_t(4 * rate), 4);
    Put(wav, 4, 2);
    Put(wav, 16, 2);
    Put(wav, "data");
    Put(wav, data, 4);
    for (long i = 0; i < 2 * frames; ++i) {
        float v = std::clamp(samples[std::size_t(i)], -1.0f, 1.0f);
        Put(wav, std::uint32_t(std::int32_t(std::lround(v * 32767.0f))) & 0xFFFF, 2);
    }
    std::FILE* out = std::fopen(argv[5], "wb");
    if (!out || std::fwrite(wav.data(), 1, wav.size(), out) != wav.size() || std::fclose(out)) {
        std::fprintf(stderr, "music_render: %s could not be written\n", argv[5]);
        return 1;
    }
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    return 0;
}
