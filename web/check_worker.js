// The model check's Web Worker. check.js starts it from the page's own texts: the module's factory
// (createBrimaloxCore: the core with nec/ in C++, the calculator's module), the NEC-2 engine's script
// (loadNecEngine) and this script. For each deck the module calls Module.necRun, which runs nec2c
// in a fresh WebAssembly instance.
// A check's sweep is shared among engines in helper workers beside this one (check_client.js makes
// them, as many as the machine's cores allow, at most four engines in all, and gives this worker a
// channel to each; fewer are used where they do not run side by side: see
// fitEngines, or where the sweep is short), each running a contiguous part of the sweep's
// frequencies: nec2c computes each frequency on its own, so the parts' outputs joined are the one
// run's (the module cuts and joins them: nec/sweep_parts.h); this worker runs the last part with the
// patterns.
// In: {type: 'load', engine, module} (their WebAssembly, as bytes, unpacked by the page) with the
// helpers' channels as its ports, {type: 'warm'}, then {id, type: 'check', 'trim' or 'cover', request:
// JSON} or {id, type: 'touchstone', text}; at any time {type: 'helper failed', index, message} (the
// page saw that helper's error).
// Out: {type: 'loaded'} at once, {id, type: 'progress', done, total} (a search: runs done, runs planned and the best so far),
// {id, type: 'done', result, parts} (parts: among how many engines the sweep was shared, 1 for none),
// {id, type: 'error', message},
// {type: 'warmed'}, {type: 'drop helper', index} (the page ends that helper).
'use strict';

var sources = null;
var ready = null;  // the check module with the engine, made for the first request
var current = 0;   // the request whose progress is told
var asked = false; // a request has come, so no warm-up is needed
var helpers = [];  // {port, index, jobs: {id: {resolve, reject, progress}}}
var sharedParts = 1;  // among how many engines the request's run shared its sweep (told with its answer)
var engineReady = null;  // this worker's engine, compiled once for it and its helpers

// A helper: the engine alone, running the decks this worker sends it over the channel the page
// gives it ({type: 'port'}, the channel its port). In: {id, type: 'hello'}, {type: 'load', engine}
// then {id, deck}; out: {id, progress} as frequencies are done, then {id, output} or {id, error}.
// The page starts it from the engine's script and this one, ending in helperMain().
function helperMain() {
  var engine = null;
  var port = null;
  function postMessage(message) { port.postMessage(message); }
  onmessage = function (event) {
    if (event.data.type !== 'port') return;
    port = event.ports[0];
    port.onmessage = fromWorker;
  };
  function fromWorker(event) {
    var m = event.data;
    if (m.type === 'load') {
      engine = loadNecEngine(m.engine);
      return;
    }
    if (m.type === 'hello') {  // this helper runs: its parts can be given to it
      postMessage({ id: m.id, output: '' });
      return;
    }
    engine.then(function (e) {
      var began = performance.now();
      var output = e.run(m.deck, function (done) { postMessage({ id: m.id, progress: done }); }).output;
      postMessage({ id: m.id, output: output, ms: performance.now() - began });
    }).catch(function (error) {
      postMessage({ id: m.id, error: String(error && error.message ? error.message : error) });
    });
  }
}

// A helper the browser refuses or that fails says so by an error event (which the page passes on),
// or never answers its first message: either way it is dropped at once with whatever it was given,
// the page ends it, and the check runs on the engines that do work, down to this worker's alone,
// rather than waiting for the time limit.
var HELLO_MS = 3000;
function dropHelper(helper, why) {
  var at = helpers.indexOf(helper);
  if (at < 0) return;
  helpers.splice(at, 1);
  helper.port.close();
  postMessage({ type: 'drop helper', index: helper.index });
  var jobs = helper.jobs;
  helper.jobs = {};
  Object.keys(jobs).forEach(function (id) { jobs[id].reject(new Error(why)); });
}

// The helpers' channels, as the page gives them with its first message; each is greeted at once.
function startHelpers(ports) {
  helpers = ports.map(function (port, index) {
    var helper = { port: port, index: index, jobs: {}, next: 0 };
    port.onmessage = function (event) {
      var m = event.data, job = helper.jobs[m.id];
      if (!job) return;
      if (m.progress !== undefined) return job.progress(m.progress);
      delete helper.jobs[m.id];
      if (m.error !== undefined) job.reject(new Error(m.error));
      else job.resolve(m.output, m.ms);
    };
    return helper;
  });
  helpers.slice().forEach(function (helper) {
    var answered = false;
    var id = ++helper.next;
    helper.jobs[id] = { resolve: function () { answered = true; }, reject: function () {}, progress: function () {} };
    helper.port.postMessage({ id: id, type: 'hello' });
    setTimeout(function () {
      if (!answered) dropHelper(helper, 'a helper worker did not answer');
    }, HELLO_MS);
  });
}

// Sends the helpers the engine once it is compiled here.
function loadHelpers() {
  // The helpers take the engine as this worker compiled it: one compile rather than one each, and
  // the code the browser optimises while any of them runs serves them all.
  engineReady.then(function (engine) {
    helpers.forEach(function (helper) {
      try {
        helper.port.postMessage({ type: 'load', engine: engine.module });
      } catch (error) {
        helper.port.postMessage({ type: 'load', engine: sources.engine });  // a browser that cannot pass it on
      }
    });
  }, function () {});
}

// The helper's output of the deck; `timed`, its run's milliseconds instead.
function onHelper(helper, deck, progress, timed) {
  return new Promise(function (resolve, reject) {
    var id = ++helper.next;
    helper.jobs[id] = { resolve: function (output, ms) { resolve(timed ? ms : output); }, reject: reject,
                        progress: progress };
    helper.port.postMessage({ id: id, deck: deck });
  });
}

// Engines that fit the machine. A browser may report more cores than it has (WebKit reports 4 on
// 2), and engines beyond the cores only share them: the sweep is no sooner done, and each engine's
// warm-up and memory are paid for nothing. Once every engine is warm, the warm-up's deck is run by
// this worker's engine alone and then by all of them at once: each engine's speed beside its speed
// alone says how many ran side by side in earnest, and the helpers beyond that are let go.
var running = 0;     // requests under way: no engine is timed meanwhile
var fitLater = null; // the fitting, left until they end
function fitEngines(engine, deck) {
  if (!helpers.length) return Promise.resolve();
  if (running) {
    fitLater = function () { fitEngines(engine, deck); };
    return Promise.resolve();
  }
  var began = performance.now();
  engine.run(deck);
  var alone = performance.now() - began;
  var together = helpers.map(function (helper) { return onHelper(helper, deck, function () {}, true); });
  began = performance.now();
  engine.run(deck);
  var mine = performance.now() - began;
  return Promise.all(together).then(function (times) {
    var side = times.reduce(function (sum, ms) { return sum + alone / Math.max(ms, alone); }, alone / Math.max(mine, alone));
    // n engines are kept where side by side they did more than n - 1 alone would (by a quarter).
    var keep = Math.max(1, Math.ceil(side - 0.25)) - 1;
    helpers.slice(keep).forEach(function (helper) { dropHelper(helper, 'more engines than the machine runs at once'); });
  }, function () {});
}

// The helpers a check can share its sweep with: the warm ones.
function usable() {
  return helpers.filter(function (helper) { return helper.warm === true; });
}

// Runs the check's sweep in the parts the module cuts it into, here and on the helpers side by side,
// and has the module join their outputs and finish the check. After any fault in a part the module
// runs the deck itself instead, and meets and reports the fault as it would have.
function runCheck(module, engine, request, id) {
  var sharing = usable();
  var parts = JSON.parse(module.checkParts(JSON.stringify({ id: id, engines: sharing.length + 1,
                                                            request: JSON.parse(request) })));
  if (!parts.ok) return Promise.resolve(parts);  // refused: the check's own answer
  var decks = parts.decks;
  function joined(outputs) {
    current = id;
    sharedParts = outputs ? decks.length : 1;
    return JSON.parse(module.checkJoined(JSON.stringify({ id: id, outputs: outputs })));
  }
  if (decks.length < 2) return Promise.resolve(joined(null));
  var done = decks.map(function () { return 0; });
  function told(k) {
    return function (n) {
      done[k] = n;
      postMessage({ id: id, type: 'progress', done: done.reduce(function (a, b) { return a + b; }), total: parts.total });
    };
  }
  var others = decks.slice(0, -1).map(function (part, k) { return onHelper(sharing[k], part, told(k)); });
  var last;
  try {
    last = engine.run(decks[decks.length - 1], told(decks.length - 1)).output;
  } catch (error) {
    return Promise.resolve(joined(null));
  }
  return Promise.all(others).then(function (outputs) { return joined(outputs.concat([last])); },
                                  function () { return joined(null); });
}

function load() {
  return engineReady.then(function (engine) {
    return createBrimaloxCore({
      engine: engine,
      wasmBinary: sources.module,
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
function warmRequest(module) {
  var design = module.design({ frequency: '146', sides: 3, unit: null, conductor: '' }, module.texts(), [false, false]);
  var fields = {};
  module.valueFields().forEach(function (f) { fields[f.field] = design.texts[Number(f.field.slice(4)) - 1]; });
  var settings = { z0: '300', from: '144', to: '148', step: '2', ground: '', groundConstants: '', height: '',
                   patternAt: [], heights: '' };
  return { fields: fields, sides: 3, settings: settings, measured: null };
}

// The warm-up's deck, run here once (which makes this worker's engine ready and hot) and kept for
// the helpers' warm-up and the engines' fitting.
var warmDeck = null;
function warmHere(module) {
  if (warmDeck) return warmDeck;
  current = 0;  // its progress is nobody's
  var parts = JSON.parse(module.checkParts(JSON.stringify({ id: -1, engines: 1, request: warmRequest(module) })));
  if (!parts.ok) throw new Error(parts.message);
  module.checkJoined(JSON.stringify({ id: -1, outputs: null }));
  warmDeck = parts.decks[0];
  return warmDeck;
}

// The helpers are warmed after this worker's engine (or after a request that came first), one
// after another: each runs the warm-up's deck once, so that its engine is compiled and hot, and
// shares a check's sweep only from then on, not slowing a first check with its compiling, nor
// taking the cores all at once. Then the engines that do not run side by side are let go. Once,
// whichever comes first.
var helpersWarming = null;
function warmHelpers(module) {
  if (helpersWarming || !helpers.length) return;
  var deck;
  try {
    deck = warmHere(module);
  } catch (error) {
    return;  // the helpers stay cold and unused; a check meets the same fault and says it
  }
  helpers.forEach(function (helper) { helper.warm = false; });
  helpersWarming = helpers.slice().reduce(function (warmed, helper) {
    return warmed.then(function () {
      if (helpers.indexOf(helper) < 0) return;  // dropped meanwhile: nothing would answer
      return onHelper(helper, deck, function () {}).then(function () { helper.warm = true; }, function () {});
    });
  }, Promise.resolve()).then(function () { return fitEngines(module.engine, deck); });
}

function warmUp(module) {
  warmHere(module);
  // This engine is ready: a check asked now runs at once, with the helpers warm by then.
  postMessage({ type: 'warmed' });
  warmHelpers(module);
}

onmessage = function (event) {
  var m = event.data;
  if (m.type === 'load') {
    sources = m;
    startHelpers(event.ports);
    postMessage({ type: 'loaded' });  // this worker runs (check_client.js waits for it)
    return;
  }
  if (m.type === 'helper failed') {
    var failed = helpers.filter(function (helper) { return helper.index === m.index; })[0];
    if (failed) dropHelper(failed, 'a helper worker failed: ' + m.message);
    return;
  }
  if (!ready) {
    engineReady = loadNecEngine(sources.engine);
    ready = load();
    loadHelpers();
  }
  if (m.type === 'warm') {
    ready.then(function (module) {
      // A task later, so that a request already waiting runs first: it warms the module itself.
      setTimeout(function () {
        if (!asked) {
          current = 0;  // its progress is nobody's
          try {
            warmUp(module);
            return;
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
  ++running;
  ready.then(function (module) {
    if (m.type === 'check') return runCheck(module, module.engine, m.request, m.id);
    current = m.id;
    sharedParts = 1;
    return m.type === 'trim' ? JSON.parse(module.trim(m.request))
      : m.type === 'cover' ? JSON.parse(module.cover(m.request)) : module.touchstoneProblem(m.text);
  }).then(function (result) {
    postMessage({ id: m.id, type: 'done', result: result, parts: sharedParts });
  }).catch(function (error) {
    postMessage({ id: m.id, type: 'error', message: String(error && error.message ? error.message : error) });
  }).then(function () {
    // A request that came before the warm-up ran on this worker's engine alone, the helpers not
    // compiling beside it; they are warmed now.
    ready.then(warmHelpers, function () {});
    if (--running || !fitLater) return;
    var fit = fitLater;
    fitLater = null;
    fit();
  });
};
