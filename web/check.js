// The model check below the window: reads the design the window shows and the settings, runs the
// check in a Web Worker (the core's nec/ code and nec2c compiled to WebAssembly) so the window never
// freezes, and shows the report, the charts, the sweep as a table and the files to download. The
// worker is started on the first run; a new run or CANCEL ends a running one at once.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }

  var form = byId('check-settings');
  var runButton = byId('check-run');
  var cancelButton = byId('check-cancel');
  var progress = byId('check-progress');
  var status = byId('check-status');
  var report = byId('check-report');
  var charts = byId('check-charts');
  var downloads = byId('check-downloads');
  var sweepTable = byId('check-sweep');
  var ground = byId('check-ground');
  var custom = byId('check-custom');
  var measuredInput = byId('check-measured');
  var measuredClear = byId('check-measured-clear');
  var measuredStatus = byId('check-measured-status');
  var drop = byId('check');

  var worker = null;
  var busy = false;
  var measured = null;  // {name, text} of the file the next run draws over the model
  var urls = [];

  function showCustom() { custom.hidden = ground.value !== 'custom'; }
  ground.addEventListener('change', showCustom);
  showCustom();

  // The window's value fields, as the page's generator marked them from the core's design record.
  function fieldTexts() {
    var fields = {};
    document.querySelectorAll('#Form1 input[data-key]').forEach(function (box) { fields[box.id] = box.value; });
    return fields;
  }

  function request() {
    var g = ground.value;
    var settings = {
      z0: byId('check-z0').value,
      from: byId('check-from').value,
      to: byId('check-to').value,
      step: byId('check-step').value,
      ground: g === 'custom' ? '' : g,
      groundConstants: g === 'custom' ? byId('check-epsr').value + ',' + byId('check-sigma').value : '',
      height: byId('check-height').value,
      patternAt: byId('check-pattern-at').value.split(/\s+/).filter(function (t) { return t !== ''; }),
      heights: byId('check-heights').value
    };
    var sides = byId('Option1').checked ? 3 : byId('Option2').checked ? 4 : 0;
    return { fields: fieldTexts(), sides: sides, settings: settings, measured: measured };
  }

  // The worker is made from the page's own texts, and started for the first request.
  var pending = {};  // request id: {progress, done, failed}
  var nextId = 0;

  function startWorker() {
    var source = [byId('core-module').textContent, byId('nec-engine').textContent,
                  byId('check-worker').textContent].join('\n');
    var url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    var w = new Worker(url);
    URL.revokeObjectURL(url);
    w.postMessage({ type: 'load', engine: byId('nec-engine-wasm').textContent.trim(),
                    module: byId('core-wasm').textContent.trim() });
    w.onmessage = function (event) {
      var m = event.data;
      var job = pending[m.id];
      if (!job) return;
      if (m.type === 'progress') {
        job.progress(m.done, m.total, m.best);
        return;
      }
      delete pending[m.id];
      if (m.type === 'done') job.done(m.result);
      else job.failed(m.message);
    };
    w.onerror = function (event) {
      event.preventDefault();
      var jobs = pending;
      stop();
      Object.keys(jobs).forEach(function (id) { jobs[id].failed(event.message || 'the worker failed'); });
    };
    return w;
  }

  function ask(message, job) {
    if (!worker) worker = startWorker();
    message.id = ++nextId;
    pending[message.id] = job;
    worker.postMessage(message);
  }

  // Ends the worker and whatever it was doing; the next request starts a new one.
  function stop() {
    if (worker) worker.terminate();
    worker = null;
    pending = {};
    setBusy(false);
  }

  function setBusy(on) {
    busy = on;
    cancelButton.disabled = !on;
    progress.hidden = !on;
    if (!on) {
      setTrimming(false);
      setCovering(false);
    }
  }

  function clearResults() {
    urls.forEach(function (u) { URL.revokeObjectURL(u); });
    urls = [];
    charts.textContent = '';
    downloads.textContent = '';
    sweepTable.hidden = true;
    sweepTable.tBodies[0].textContent = '';
  }

  function blobUrl(text, type) {
    var url = URL.createObjectURL(new Blob([text], { type: type }));
    urls.push(url);
    return url;
  }

  function addChart(svg, alt) {
    if (!svg) return;
    var img = document.createElement('img');
    img.src = blobUrl(svg, 'image/svg+xml');
    img.alt = alt;
    img.className = 'check-chart';
    charts.appendChild(img);
  }

  function addDownload(text, name, type, label) {
    if (!text) return;
    var a = document.createElement('a');
    a.href = blobUrl(text, type);
    a.download = name;
    a.textContent = label;
    downloads.appendChild(a);
  }

  function fillTable(json) {
    var body = sweepTable.tBodies[0];
    JSON.parse(json).sweep.forEach(function (row) {
      var tr = document.createElement('tr');
      var gap = row.gaps[0];
      [row.mhz, gap.r_ohms.toFixed(1), gap.x_ohms.toFixed(1), row.swr === null ? 'infinite' : row.swr.toFixed(2)]
        .forEach(function (v) {
          var td = document.createElement('td');
          td.textContent = String(v);
          tr.appendChild(td);
        });
      body.appendChild(tr);
    });
    sweepTable.hidden = false;
  }

  // Tells the build sheet what this check found of the design it was run for.
  function tellSheet(asked, model) {
    brimalox.sheet.checked({ fields: asked.fields, sides: asked.sides, model: model });
  }

  function show(result, asked) {
    clearResults();
    tellSheet(asked, result.ok ? result.sheetModel : null);
    if (!result.ok) {
      report.textContent = result.message;
      status.textContent = result.kind === 'refused' ? 'Not run: ' + result.message : 'The model failed: ' + result.message;
      return;
    }
    report.textContent = result.report;
    var name = 'brimalox-' + byId('Text2').value.trim().replace(/[^0-9A-Za-z.+-]/g, '_');
    addChart(result.swrSvg, 'SWR against frequency');
    addChart(result.patternSvg, 'elevation and azimuth patterns at the design frequency');
    addChart(result.heightsSvg, 'maximum gain and take-off angle against height');
    addDownload(result.deck, name + '.nec', 'text/plain', 'deck (.nec)');
    addDownload(result.touchstone, name + '.s1p', 'text/plain', 'reflection coefficient (.s1p)');
    addDownload(result.swrSvg, name + '-swr.svg', 'image/svg+xml', 'SWR chart (.svg)');
    addDownload(result.patternSvg, name + '-pattern.svg', 'image/svg+xml', 'pattern chart (.svg)');
    addDownload(result.heightsSvg, name + '-heights.svg', 'image/svg+xml', 'heights chart (.svg)');
    addDownload(result.csv, name + '.csv', 'text/csv', 'sweep (.csv)');
    addDownload(result.json, name + '.json', 'application/json', 'report (.json)');
    fillTable(result.json);
    var failed = result.failures.length ? ' The model failed at some frequencies: ' + result.failures[0] : '';
    status.textContent = 'Done.' + failed;
  }

  function failed(message) {
    setBusy(false);
    clearResults();
    report.textContent = 'The model could not run: ' + message;
    status.textContent = report.textContent;
  }

  // As the command line's --time-limit: nec2c never ends on some degenerate geometry, and a
  // synchronous run in the worker can only be ended with the worker.
  var TIME_LIMIT_S = 120;
  var timer = null;

  function run() {
    if (busy) stop();  // a new run replaces the one going
    setBusy(true);
    clearTimeout(timer);
    timer = setTimeout(function () {
      if (!busy) return;
      stop();
      failed('the model ran longer than ' + TIME_LIMIT_S + ' s and was stopped');
    }, TIME_LIMIT_S * 1000);
    progress.value = 0;
    progress.max = 1;
    status.textContent = 'Running the model...';
    var asked = request();
    ask({ type: 'check', request: JSON.stringify(asked) }, {
      progress: function (done, total) {
        progress.max = total;
        progress.value = done;
      },
      done: function (result) {
        setBusy(false);
        show(result, asked);
      },
      failed: failed
    });
  }

  form.addEventListener('submit', function (event) {
    event.preventDefault();
    run();
  });
  cancelButton.addEventListener('click', function () {
    stop();
    status.textContent = 'Cancelled.';
  });

  // A file is read and checked at once, so a broken one is named before anything runs and the
  // last report stays as it is.
  function takeFile(file) {
    if (!file) return;
    file.text().then(function (text) {
      ask({ type: 'touchstone', text: text }, {
        progress: function () {},
        done: function (problem) {
          if (problem) {
            measuredStatus.textContent = file.name + ': ' + problem;
            return;
          }
          measured = { name: file.name, text: text };
          measuredStatus.textContent = file.name + ' will be drawn over the model at the next run.';
          measuredClear.hidden = false;
        },
        failed: function (message) { measuredStatus.textContent = file.name + ' cannot be read: ' + message; }
      });
    }, function (error) {
      measuredStatus.textContent = file.name + ' cannot be read: ' + error;
    });
  }
  measuredInput.addEventListener('change', function () { takeFile(measuredInput.files[0]); });
  measuredClear.addEventListener('click', function () {
    measured = null;
    measuredInput.value = '';
    measuredClear.hidden = true;
    measuredStatus.textContent = 'No measured file.';
  });
  drop.addEventListener('dragover', function (event) { event.preventDefault(); });
  drop.addEventListener('drop', function (event) {
    event.preventDefault();
    if (event.dataTransfer && event.dataTransfer.files.length) takeFile(event.dataTransfer.files[0]);
  });

  // The trim: the design and the settings above with what the built antenna measured, through the
  // same worker. Its CANCEL, like the check's, ends the worker and whatever it was doing.
  var trimForm = byId('trim-settings');
  var trimRun = byId('trim-run');
  var trimCancel = byId('trim-cancel');
  var trimStatus = byId('trim-status');
  var trimReport = byId('trim-report');
  var trimSheet = byId('trim-sheet');
  var trimmed = null;  // the trimmed design's texts and form, for its build sheet
  var trimming = false;

  function setTrimming(on) {
    trimming = on;
    trimCancel.disabled = !on;
  }

  // Typing a measurement chooses it.
  [['trim-2to1-low', 'edges'], ['trim-2to1-high', 'edges'], ['trim-dip', 'dip']].forEach(function (pair) {
    byId(pair[0]).addEventListener('input', function () { byId('trim-source-' + pair[1]).checked = true; });
  });

  function trimSource() {
    return byId('trim-source-dip').checked ? 'dip' : byId('trim-source-file').checked ? 'file' : 'edges';
  }

  function runTrim() {
    if (trimming) stop();
    setTrimming(true);
    trimmed = null;
    trimSheet.hidden = true;
    trimReport.textContent = '';
    trimStatus.textContent = 'Running the model of the design and of the trimmed design...';
    var asked = request();
    asked.trim = { source: trimSource(), low: byId('trim-2to1-low').value, high: byId('trim-2to1-high').value,
                   dip: byId('trim-dip').value };
    ask({ type: 'trim', request: JSON.stringify(asked) }, {
      progress: function () {},
      done: function (result) {
        setTrimming(false);
        if (!result.ok) {
          trimReport.textContent = result.message;
          trimStatus.textContent = result.kind === 'refused' ? 'Not run: ' + result.message
                                                             : 'The model failed: ' + result.message;
          return;
        }
        trimReport.textContent = result.report;
        trimmed = { fields: Object.assign({}, asked.fields, result.trimmed), sides: asked.sides, remark: result.remark };
        trimSheet.hidden = false;
        trimStatus.textContent = 'Done.';
      },
      failed: function (message) {
        setTrimming(false);
        trimReport.textContent = 'The model could not run: ' + message;
        trimStatus.textContent = trimReport.textContent;
      }
    });
  }

  trimForm.addEventListener('submit', function (event) {
    event.preventDefault();
    runTrim();
  });
  trimCancel.addEventListener('click', function () {
    stop();
    trimStatus.textContent = 'Cancelled.';
  });
  // The build sheet draws it: the window's texts with the trimmed height and side.
  trimSheet.addEventListener('click', function () {
    if (trimmed) brimalox.sheet.build(trimmed);
  });

  // The search for the design that covers given bands, in the same worker, candidates one after the
  // other; "use this design" then does in the window what a user would.
  var coverForm = byId('cover-settings');
  var coverCancel = byId('cover-cancel');
  var coverProgress = byId('cover-progress');
  var coverStatus = byId('cover-status');
  var coverReport = byId('cover-report');
  var coverChart = byId('cover-chart');
  var coverUse = byId('cover-use');
  var found = null;  // the best design of the last search: {frequency, sides, unit, conductor}
  var covering = false;

  function setCovering(on) {
    covering = on;
    coverCancel.disabled = !on;
    coverProgress.hidden = !on;
  }

  function coverBands() {
    var bands = [];
    ['cover-band-2m', 'cover-band-1m25', 'cover-band-70cm'].forEach(function (id) {
      if (byId(id).checked) bands.push(byId(id).value);
    });
    return bands.concat(byId('cover-bands').value.split(/\s+/).filter(function (t) { return t !== ''; }));
  }

  var chartUrl = null;
  function showChart(svg) {
    if (chartUrl) URL.revokeObjectURL(chartUrl);
    chartUrl = null;
    coverChart.textContent = '';
    if (!svg) return;
    chartUrl = URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
    var img = document.createElement('img');
    img.src = chartUrl;
    img.alt = 'SWR of the best design against frequency, the bands shaded';
    img.className = 'check-chart';
    coverChart.appendChild(img);
  }

  function runCover() {
    if (covering) stop();
    setCovering(true);
    found = null;
    coverUse.hidden = true;
    coverReport.textContent = '';
    showChart('');
    coverStatus.textContent = 'Searching...';
    var asked = request();
    asked.sides = Number(byId('cover-sides').value);
    asked.cover = { bands: coverBands(), maxSwr: byId('cover-max-swr').value, conductors: byId('cover-conductors').value };
    var started = performance.now();
    ask({ type: 'cover', request: JSON.stringify(asked) }, {
      progress: function (runs, total, best) {
        coverStatus.textContent = runs + ' model runs, best so far ' + (best || 'none yet');
      },
      done: function (result) {
        setCovering(false);
        if (!result.ok) {
          coverReport.textContent = result.message;
          coverStatus.textContent = result.kind === 'refused' ? 'Not run: ' + result.message
                                                              : 'The search failed: ' + result.message;
          return;
        }
        coverReport.textContent = result.report;
        showChart(result.swrSvg);
        found = result.best;
        coverUse.hidden = !found;
        coverStatus.textContent = 'Done: ' + result.runs + ' model runs in ' +
          ((performance.now() - started) / 1000).toFixed(1) + ' s.';
      },
      failed: function (message) {
        setCovering(false);
        coverReport.textContent = 'The search could not run: ' + message;
        coverStatus.textContent = coverReport.textContent;
      }
    });
  }

  coverForm.addEventListener('submit', function (event) {
    event.preventDefault();
    runCover();
  });
  coverCancel.addEventListener('click', function () {
    stop();
    coverStatus.textContent = 'Cancelled.';
  });

  // The winner down the window's own road (the core's, as a user's clicks take it); it stops where
  // the window reports a failure.
  coverUse.addEventListener('click', function () {
    if (!found) return;
    var design = { frequency: found.frequency, sides: found.sides, conductor: found.conductor,
                   unit: found.unit === 'recommended' ? null : found.unit };
    brimalox.page.showDesign(design).then(function (ok) { if (ok) byId('Form1').scrollIntoView(); });
  });

  progress.hidden = true;
})();
