// music.js -- the page's side of the music: the synthesizer's AudioWorklet on SDL's AudioContext
//
// music_web.cpp calls open, play, stop, close and end. The synthesizer runs in an AudioWorklet
// (music_worklet.js): the game's runtime and the synthesizer's are two emscripten programs, and
// two of them on one page clash over the global Module. Its node plays into the AudioContext
// SDL made for the effects, so effects and music leave through one output. The SoundFont is
// fetched once the start-up dialog is up (fetchFont), so it never delays the dialog; commands
// that come before it are kept by the worklet. window.velmora.music tells a test where it stands.
'use strict';

window.velmoraMusic = (function () {
  var state = { font: 'not asked', rendering: false, error: null };
  var node = null; // the worklet's node, once its scripts are loaded
  var nodeContext = null; // the AudioContext it was made on
  var waiting = []; // commands before the node, with what they hand over
  var font = null; // the SoundFont's bytes until the node takes them

  function fail(what) {
    state.error = what;
    console.error('velmora: the music: ' + what);
  }

  function fetchFont() {
    if (state.font !== 'not asked') return;
    state.font = 'fetching';
    fetch('music.sf2').then(function (response) {
      if (!response.ok) throw new Error('HTTP status ' + response.status);
      return response.arrayBuffer();
    }).then(function (bytes) {
      state.font = 'fetched';
      font = bytes;
      giveFont();
    }).catch(function (e) { fail('the SoundFont could not be fetched: ' + e); });
  }

  function giveFont() {
    if (!node || !font) return;
    node.port.postMessage({ verb: 'font', bytes: font }, [font]);
    font = null;
  }

  function send(command, transfer) {
    if (node) node.port.postMessage(command, transfer || []);
    else waiting.push([command, transfer]);
  }

  // Starts the worklet on SDL's AudioContext; false where this browser has no way to run it.
  function start() {
    var context = window.Module && Module.SDL2 && Module.SDL2.audioContext;
    if (!context || !context.audioWorklet || typeof AudioWorkletNode === 'undefined') return false;
    if (context === nodeContext) return true;
    // A context SDL made anew (the effects' output closed and opened again before the first
    // piece) gets a node of its own.
    nodeContext = context;
    node = null;
    context.audioWorklet.addModule('libfluidsynth-2.3.0.js').then(function () {
      return context.audioWorklet.addModule('music_worklet.js');
    }).then(function () {
      if (context !== nodeContext) return;
      node = new AudioWorkletNode(context, 'velmora-music',
                                  { numberOfInputs: 0, outputChannelCount: [2] });
      node.port.onmessage = function (e) {
        if ('rendering' in e.data) state.rendering = e.data.rendering;
        if (e.data.font) state.font = e.data.font;
        if (e.data.error) fail(e.data.error);
      };
      node.connect(context.destination);
      var before = waiting;
      waiting = [];
      before.forEach(function (w) { send(w[0], w[1]); });
      giveFont();
    }).catch(function (e) { fail('the synthesizer did not start: ' + e); });
    fetchFont();
    return true;
  }

  if (window.velmora) window.velmora.music = state;
  return {
    fetchFont: fetchFont,
    // bytes: the piece (a Uint8Array of its own). False where the page cannot play music.
    open: function (bytes) {
      if (!start()) return false;
      send({ verb: 'load', bytes: bytes.buffer }, [bytes.buffer]);
      return true;
    },
    play: function (fromStart) { send({ verb: 'play', fromStart: fromStart }); },
    stop: function () { send({ verb: 'stop' }); },
    close: function () { send({ verb: 'close' }); },
    end: function () { send({ verb: 'end' }); },
  };
})();
