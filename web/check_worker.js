// The model check's Web Worker. check.js starts it from the page's own texts: the module's factory
// (createBrimaloxCore: the core with nec/ in C++, the calculator's module), the NEC-2 engine's script
// (loadNecEngine) and this script. For each deck the module calls Module.necRun, which runs nec2c
// in a fresh WebAssembly instance.
// In: {type: 'load', engine, module} (both base64 of gzip-compressed WebAssembly), then
// {id, type: 'check', 'trim' or 'cover', request: JSON} or {id, type: 'touchstone', text}.
// Out: {id, type: 'progress', done, total} (a search: done runs and best so far), {id, type: 'done', result}, {id, type: 'error', message}.
'use strict';

var sources = null;
var ready = null;  // the check module with the engine, made for the first request
var current = 0;   // the request whose progress is told

function unpacked(base64) {
  var text = atob(base64);
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  var stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Response(stream).arrayBuffer();
}

function load() {
  return Promise.all([loadNecEngine(sources.engine), unpacked(sources.module)]).then(function (loaded) {
    var engine = loaded[0];
    return createBrimaloxCore({
      wasmBinary: new Uint8Array(loaded[1]),
      necRun: function (deck, progress) { return engine.run(deck, progress).output; },
      onCheckProgress: function (done, total) { postMessage({ id: current, type: 'progress', done: done, total: total }); },
      onCoverProgress: function (runs, best) { postMessage({ id: current, type: 'progress', done: runs, best: best }); }
    });
  });
}

onmessage = function (event) {
  var m = event.data;
  if (m.type === 'load') {
    sources = m;
    return;
  }
  ready = ready || load();
  ready.then(function (module) {
    current = m.id;
    var result = m.type === 'check' ? JSON.parse(module.check(m.request))
      : m.type === 'trim' ? JSON.parse(module.trim(m.request))
      : m.type === 'cover' ? JSON.parse(module.cover(m.request)) : module.touchstoneProblem(m.text);
    postMessage({ id: m.id, type: 'done', result: result });
  }).catch(function (error) {
    postMessage({ id: m.id, type: 'error', message: String(error && error.message ? error.message : error) });
  });
};
