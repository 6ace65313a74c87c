// The model check's Web Worker. check.js starts it from the page's own texts: the core module's
// factory (createBrimaloxCore), the NEC-2 engine's script (loadNecEngine) and this script. The core
// runs the check (nec/ in C++); for each deck it calls Module.necRun, which runs nec2c in a fresh
// WebAssembly instance. Messages in: {type: 'engine', wasm: base64 of the gzip-compressed engine},
// {type: 'check', request: JSON}. Out: {type: 'progress', done, total}, {type: 'done', result},
// {type: 'error', message}.
'use strict';

var engineWasm = null;
var ready = null;  // the core with the engine, made for the first check

function load() {
  return loadNecEngine(engineWasm).then(function (engine) {
    return createBrimaloxCore({
      necRun: function (deck, progress) { return engine.run(deck, progress).output; },
      onCheckProgress: function (done, total) { postMessage({ type: 'progress', done: done, total: total }); }
    });
  });
}

onmessage = function (event) {
  var m = event.data;
  if (m.type === 'engine') {
    engineWasm = m.wasm;
    return;
  }
  if (m.type !== 'check') return;
  ready = ready || load();
  ready.then(function (core) {
    postMessage({ type: 'done', result: JSON.parse(core.check(m.request)) });
  }).catch(function (error) {
    postMessage({ type: 'error', message: String(error && error.message ? error.message : error) });
  });
};
