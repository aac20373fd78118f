// music_worklet.js -- the page's music: FluidSynth built for WebAssembly, on the audio thread
//
// Loaded into an AudioWorklet after libfluidsynth-2.3.0.js, which leaves its runtime in
// AudioWorkletGlobalScope.wasmModule. It plays as the desktop's music thread does
// (music_sdl.cpp): the synthesizer at the output's rate with gain 0.4 and FluidSynth's own
// reverb and chorus, its player timed by the samples rendered, a piece played once through, a
// stop faded over 5 ms before every voice is cut, a finished piece's reverb given 2 s to ring out
// before rendering stops. Nothing is rendered while nothing can be heard. Commands that come
// before the SoundFont are kept and carried out in order once it is loaded, so a piece asked to
// play starts when the SoundFont arrives.
'use strict';

const Fluid = AudioWorkletGlobalScope.wasmModule;
const FluidOk = 0;
const PlayerPlaying = 1;
const TailSeconds = 2;

class MusicProcessor extends AudioWorkletProcessor {
  constructor() {
    super();
    this.waiting = []; // commands before the SoundFont
    this.synth = 0;
    this.player = 0;
    this.piece = null; // the open piece, so a play from the start never asks the page again
    this.buffer = 0; // two channels of one call's frames in the synthesizer's memory
    this.bufferFrames = 0;
    this.rendering = false;
    this.fadeLength = Math.max(1, Math.floor(sampleRate / 200));
    this.fadeLeft = 0;
    this.tailLeft = 0;
    this.port.onmessage = (e) => this.take(e.data);
  }

  take(c) {
    if (c.verb === 'font') {
      this.whenRuntime(() => this.loadFont(c.bytes));
    } else if (!this.synth) {
      // A piece that comes with the page's end is not waited for.
      this.waiting = c.verb === 'end' ? [] : this.waiting.concat([c]);
    } else {
      this.carry(c);
    }
  }

  whenRuntime(then) {
    if (Fluid.calledRun) then();
    else AudioWorkletGlobalScope.addOnPostRun(then);
  }

  tell(what) { this.port.postMessage(what); }

  loadFont(bytes) {
    const set = (kind, name, value) =>
      Fluid.ccall('fluid_settings_set' + kind, 'number', ['number', 'string', 'number'],
                  [settings, name, value]);
    const settings = Fluid._new_fluid_settings();
    set('num', 'synth.sample-rate', sampleRate);
    Fluid.ccall('fluid_settings_setstr', 'number', ['number', 'string', 'string'],
                [settings, 'player.timing-source', 'sample']);
    // The desktop's gain: the pieces beside the effects, with room left for both together.
    set('num', 'synth.gain', 0.4);
    set('int', 'synth.lock-memory', 0);
    const synth = Fluid._new_fluid_synth(settings);
    const path = '/music.sf2';
    Fluid.FS.writeFile(path, new Uint8Array(bytes));
    const font = synth ? Fluid.ccall('fluid_synth_sfload', 'number',
                                     ['number', 'string', 'number'], [synth, path, 1]) : -1;
    Fluid.FS.unlink(path); // the samples are in the synthesizer's memory now
    if (font < 0) {
      if (synth) Fluid._delete_fluid_synth(synth);
      Fluid._delete_fluid_settings(settings);
      this.tell({ error: 'the synthesizer did not take the SoundFont' });
      return;
    }
    this.synth = synth;
    const waiting = this.waiting;
    this.waiting = [];
    for (const c of waiting) this.carry(c);
    this.tell({ font: 'loaded' });
  }

  deletePlayer() {
    if (this.player) Fluid._delete_fluid_player(this.player);
    this.player = 0;
  }

  // A fresh player for the open piece, at its start and not playing.
  newPlayer() {
    this.deletePlayer();
    const player = Fluid._new_fluid_player(this.synth);
    if (!player) return false;
    Fluid._fluid_player_set_loop(player, 1); // once through, never again by itself
    const bytes = Fluid._malloc(this.piece.length);
    Fluid.HEAPU8.set(this.piece, bytes);
    const added = Fluid._fluid_player_add_mem(player, bytes, this.piece.length) === FluidOk;
    Fluid._free(bytes); // the player keeps a copy
    if (!added) {
      Fluid._delete_fluid_player(player);
      return false;
    }
    this.player = player;
    return true;
  }

  silence() {
    Fluid._fluid_synth_all_sounds_off(this.synth, -1);
    this.fadeLeft = 0;
  }

  setRendering(on) {
    if (this.rendering !== on) this.tell({ rendering: on });
    this.rendering = on;
  }

  // Every held note is released now; the fade takes what still sounds down before the voices go.
  fadeOut() {
    Fluid._fluid_synth_all_notes_off(this.synth, -1);
    if (this.rendering && this.fadeLeft === 0) this.fadeLeft = this.fadeLength;
  }

  // From the start means a new player: tick 0 whether the old one stopped halfway or finished.
  play(fromStart) {
    if (!this.piece) return;
    if (this.fadeLeft > 0) this.silence(); // a stop still fading: finish it before the new notes
    if ((fromStart || !this.player) && !this.newPlayer()) return;
    if (Fluid._fluid_player_play(this.player) !== FluidOk) return;
    this.tailLeft = TailSeconds * sampleRate;
    this.setRendering(true);
  }

  carry(c) {
    switch (c.verb) {
    case 'load':
      this.deletePlayer();
      this.silence();
      this.setRendering(false);
      this.piece = new Uint8Array(c.bytes);
      break;
    case 'play':
      this.play(c.fromStart);
      break;
    case 'stop':
      if (this.player) Fluid._fluid_player_stop(this.player);
      this.fadeOut();
      break;
    case 'close':
    case 'end':
      this.deletePlayer();
      this.piece = null;
      this.fadeOut();
      break;
    }
  }

  process(inputs, outputs) {
    if (!this.rendering) return true; // the output stays silent
    const [left, right] = outputs[0];
    const n = left.length; // 128 today; browsers may come to choose otherwise
    if (n > this.bufferFrames) {
      Fluid._free(this.buffer);
      this.buffer = Fluid._malloc(2 * 4 * n);
      this.bufferFrames = n;
    }
    Fluid._fluid_synth_write_float(this.synth, n, this.buffer, 0, 1, this.buffer + 4 * n, 0, 1);
    const at = this.buffer >> 2; // the memory may have grown: its view is taken anew
    left.set(Fluid.HEAPF32.subarray(at, at + n));
    right.set(Fluid.HEAPF32.subarray(at + n, at + 2 * n));
    let last = false;
    if (this.fadeLeft > 0) {
      let i = 0;
      for (; i < n && this.fadeLeft > 0; ++i, --this.fadeLeft) {
        const gain = this.fadeLeft / this.fadeLength;
        left[i] *= gain;
        right[i] *= gain;
      }
      if (this.fadeLeft === 0) {
        left.fill(0, i);
        right.fill(0, i);
        this.silence();
        last = true;
      }
    } else if (!this.player || Fluid._fluid_player_get_status(this.player) !== PlayerPlaying) {
      this.tailLeft -= n;
      last = this.tailLeft <= 0;
    }
    if (last) this.setRendering(false);
    return true;
  }
}

registerProcessor('velmora-music', MusicProcessor);
