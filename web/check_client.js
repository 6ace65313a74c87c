// The client of the model's Web Worker (check_worker.js), which the check, the trim and the search
// share: it starts the worker from the page's own texts once the calculator is ready (or at the
// first request, if that comes first), keeps it for the next, hands each request an id, and routes
// the worker's progress and answer back to the request's job. stop() ends the worker and whatever it
// was doing; every view is told (onStop), so that each frees its buttons.
brimalox.worker = (function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }

  var worker = null;
  var pending = {};  // request id: {progress, done, failed}
  var nextId = 0;
  var stopped = [];  // what the views do when the worker ends
  var sharedParts = 0;  // among how many engines the last answer's sweep was shared
  var START_S = 30;  // the worker's first answer, on a loaded machine: it parses the modules' scripts

  function start() {
    var engineScript = byId('nec-engine').textContent, workerScript = byId('check-worker').textContent;
    var url = URL.createObjectURL(new Blob([byId('core-module').textContent, '\n', engineScript, '\n', workerScript],
                                           { type: 'text/javascript' }));
    var w = new Worker(url, { name: 'brimalox check' });
    // The address is let go once the worker has answered: a browser that fetches a worker's script
    // after the constructor returns (Firefox may) would find a revoked one gone.
    var answered = false;
    function heard() {
      if (answered) return;
      answered = true;
      URL.revokeObjectURL(url);
    }
    // Said to the worker after its first message, as everything else is.
    function tell(message) { loaded.then(function () { w.postMessage(message); }, function () {}); }
    var helpers = startHelpers(tell, engineScript, workerScript);
    // The modules' WebAssembly goes first, unpacked here (the core's already is, for the calculator);
    // what is posted meanwhile waits behind it, in order.
    var loaded = Promise.all([brimaloxUnpacked('nec-engine-wasm'), brimaloxUnpacked('core-wasm')]).then(function (wasm) {
      var ports = helpers.map(function (helper) { return helper.port; });
      w.postMessage({ type: 'load', engine: wasm[0], module: wasm[1] }, ports);
      // A worker that never starts would leave every request waiting for the time limit.
      setTimeout(function () {
        if (!answered) failed('the model\'s worker did not start within ' + START_S + ' s');
      }, START_S * 1000);
    });
    var started = {
      post: tell,
      terminate: function () {
        w.terminate();
        helpers.forEach(function (helper) { helper.end(); });
      }
    };
    // A fault fails what is asked of this worker and ends it, with no warm-up of a next that may fail
    // the same way.
    function failed(message) {
      if (worker !== started) return;
      var jobs = pending;
      stop(false);
      Object.keys(jobs).forEach(function (id) { jobs[id].failed(message); });
    }
    loaded.catch(function (error) { failed(String(error && error.message || error)); });
    w.onmessage = function (event) {
      var m = event.data;
      heard();
      if (m.type === 'warmed') performance.mark('brimalox-check-warm');
      if (m.type === 'drop helper' && helpers[m.index]) helpers[m.index].end();
      var job = pending[m.id];
      if (!job) return;
      if (m.type === 'progress') {
        job.progress(m.done, m.total, m.best);
        return;
      }
      delete pending[m.id];
      if (m.type === 'done') sharedParts = m.parts;
      if (m.type === 'done') job.done(m.result);
      else job.failed(m.message);
    };
    w.onerror = function (event) {
      event.preventDefault();
      heard();
      failed(event.message || 'the worker failed');
    };
    return started;
  }

  // Helpers beside the worker share a check's sweep (check_worker.js): one for each core the machine
  // has left, at most 3, each with a channel of its own to the worker. The page makes them, not the
  // worker: Firefox's Worker constructor inside a worker sometimes never returns (the worker then
  // never answers again), and WebKit refuses a Blob URL's worker inside a worker on a page opened
  // from disk. A helper's error is passed on to the worker, which drops it and asks the page to end it.
  function startHelpers(tell, engineScript, workerScript) {
    var count = Math.min(navigator.hardwareConcurrency || 1, 4) - 1;
    if (count < 1) return [];
    var url = URL.createObjectURL(new Blob([engineScript, '\n', workerScript, '\nhelperMain();\n'],
                                           { type: 'text/javascript' }));
    var helpers = [];
    for (var index = 0; index < count; ++index) {
      var helper = null;
      try {
        helper = new Worker(url, { name: 'brimalox helper' });
      } catch (error) {
        break;  // no more workers here: the engines made so far share the sweep
      }
      var channel = new MessageChannel();
      helper.postMessage({ type: 'port' }, [channel.port2]);
      helper.onerror = (function (index) {
        return function (event) {
          event.preventDefault();
          tell({ type: 'helper failed', index: index, message: event.message || 'refused' });
        };
      })(index);
      helpers.push({ port: channel.port1, end: helper.terminate.bind(helper) });
    }
    // Kept while the helpers live: a browser may fetch a worker's script after its constructor returns.
    var ends = helpers.length;
    helpers.forEach(function (h) {
      var end = h.end;
      h.end = function () {
        if (!end) return;
        end();
        end = null;
        if (--ends === 0) URL.revokeObjectURL(url);
      };
    });
    if (!ends) URL.revokeObjectURL(url);
    return helpers;
  }

  // Ends the worker and whatever it was doing; the next is started and warmed when the browser has
  // a moment (unless warmNext is false), or by the next request.
  function stop(warmNext) {
    if (worker) worker.terminate();
    worker = null;
    pending = {};
    stopped.forEach(function (then) { then(); });
    if (warmNext !== false) warmWhenIdle();
  }

  // Once the calculator is ready and the browser has a moment, the worker is started and warmed
  // (check_worker.js), so that the first check runs as fast as the next without delaying the window
  // or its first clicks; a check asked before the warm-up ends waits behind it in the worker. After
  // a stop the next worker is warmed the same way.
  function warm() {
    if (worker) return;
    worker = start();
    worker.post({ type: 'warm' });
  }
  function warmWhenIdle() {
    if (typeof requestIdleCallback === 'function') requestIdleCallback(warm, { timeout: 1000 });
    else setTimeout(warm, 200);
  }
  brimalox.page.core.then(warmWhenIdle, function () {});

  // As the command line's --time-limit, for every run the page asks of the worker (the check, the
  // trim, the trimmed sheet's check, the search): nec2c never ends on some degenerate geometry, and a
  // synchronous run in the worker can only be ended with the worker. The time counts from the last
  // sign of progress, so a search of many runs is not stopped while its runs go on. The core's own
  // figure, once it is loaded.
  var timeLimitS = 120;
  brimalox.page.core.then(function (core) { timeLimitS = core.timeLimitSeconds(); }, function () {});
  function limited(id, job) {
    var timer = null;
    function arm() {
      clearTimeout(timer);
      timer = setTimeout(function () {
        if (pending[id] === undefined) return;  // answered, or stopped meanwhile
        stop();
        job.failed('the model ran longer than ' + timeLimitS + ' s and was stopped');
      }, timeLimitS * 1000);
    }
    arm();
    return {
      progress: function (done, total, best) { arm(); job.progress(done, total, best); },
      done: function (result) { clearTimeout(timer); job.done(result); },
      failed: function (message) { clearTimeout(timer); job.failed(message); }
    };
  }

  // What the trim and the search share: their form runs them, their CANCEL ends the worker, and an
  // answer that is no result is said in their report and status ("The search failed: ...").
  function view(prefix, what, run) {
    var status = byId(prefix + '-status');
    var report = byId(prefix + '-report');
    function say(text) {
      report.textContent = text;
      report.classList.add('message');  // words, not a table: they wrap
      status.textContent = text;
    }
    byId(prefix + '-settings').addEventListener('submit', function (event) {
      event.preventDefault();
      run();
    });
    byId(prefix + '-cancel').addEventListener('click', function () {
      stop();
      status.textContent = 'Cancelled.';
    });
    return {
      // False, with the reason said, for an answer that is no result.
      ok: function (result) {
        if (result.ok) return true;
        say(result.message);
        // A trim the measurement cannot back says so in its own words ("no cut list: ...").
        status.textContent = result.kind === 'withheld'
          ? result.message.charAt(0).toUpperCase() + result.message.slice(1)
          : (result.kind === 'refused' ? 'Not run: ' : 'The ' + what + ' failed: ') + result.message;
        return false;
      },
      couldNotRun: function (message) { say('The ' + what + ' could not run: ' + message); }
    };
  }

  return {
    view: view,
    // message: {type: 'check', 'trim' or 'cover', request} or {type: 'touchstone', text}; job:
    // {progress(done, total, best), done(result), failed(message)}.
    ask: function (message, job) {
      if (!worker) worker = start();
      message.id = ++nextId;
      pending[message.id] = limited(message.id, job);
      worker.post(message);
    },
    stop: stop,
    // Among how many engines the last answer's sweep was shared (1: run by the worker alone).
    sharedParts: function () { return sharedParts; },
    onStop: function (then) { stopped.push(then); }
  };
})();
