// The model check's Web Worker. check.js starts it from the page's own texts: the module's factory
// (createBrimaloxCore: the core with nec/ in C++, the calculator's module), the NEC-2 engine's script
// (loadNecEngine) and this script. For each deck the module calls Module.necRun, which runs nec2c
// in a fresh WebAssembly instance.
// In: {type: 'load', engine, module} (both gzip-compressed WebAssembly, as bytes), {type: 'warm'},
// then {id, type: 'check', 'trim' or 'cover', request: JSON} or {id, type: 'touchstone', text}.
// Out: {id, type: 'progress', done, total} (a search: runs done, runs planned and the best so far), {id, type: 'done', result}, {id, type: 'error', message},
// {type: 'warmed'}.
'use strict';

var sources = null;
var ready = null;  // the check module with the engine, made for the first request
var current = 0;   // the request whose progress is told
var asked = false; // a request has come, so no warm-up is needed

function unpacked(bytes) {
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
      onCoverProgress: function (runs, planned, best) {
        postMessage({ id: current, type: 'progress', done: runs, total: planned, best: best });
      }
    });
  });
}

// The first run of WebAssembly code is V8's quick first compilation; what runs hot is compiled again,
// optimised, in the background. A small check (the core's own 146 MHz design, three frequencies,
// free space) before any is asked makes the module and the engine ready and hot, so that the first
// check a user asks for runs as fast as the next. A request that comes while it runs waits for it;
// one that comes before it starts runs instead of it.
function warmUp(module) {
  var design = module.design({ frequency: '146', sides: 3, unit: null, conductor: '' }, module.texts(), [false, false]);
  var fields = {};
  module.valueFields().forEach(function (f) { fields[f.field] = design.texts[Number(f.field.slice(4)) - 1]; });
  var settings = { z0: '300', from: '144', to: '148', step: '2', ground: '', groundConstants: '', height: '',
                   patternAt: [], heights: '' };
  module.check(JSON.stringify({ fields: fields, sides: 3, settings: settings, measured: null }));
}

onmessage = function (event) {
  var m = event.data;
  if (m.type === 'load') {
    sources = m;
    return;
  }
  ready = ready || load();
  if (m.type === 'warm') {
    ready.then(function (module) {
      // A task later, so that a request already waiting runs first: it warms the module itself.
      setTimeout(function () {
        if (!asked) {
          current = 0;  // its progress is nobody's
          try {
            warmUp(module);
          } catch (error) {
            // A check asked later meets the same fault and says it.
          }
        }
        postMessage({ type: 'warmed' });
      }, 0);
    }, function () {});
    return;
  }
  if (m.type !== 'touchstone') asked = true;
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
