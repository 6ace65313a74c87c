// The model check below the window: reads the design the window shows and the settings, runs the
// check in the model's Web Worker (brimalox.worker: the core's nec/ code and nec2c compiled to
// WebAssembly) so the window never freezes, and shows the report, the charts, the sweep as a table
// and the files to download. A new run or CANCEL ends a running one at once. The trim and the search
// take its settings through brimalox.check.request().
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
  var outputs = JSON.parse(downloads.dataset.outputs);  // the core's list of a check's files
  var sweepTable = byId('check-sweep');
  var summary = byId('check-summary');
  var ground = byId('check-ground');
  var custom = byId('check-custom');
  var measuredInput = byId('check-measured');
  var measuredClear = byId('check-measured-clear');
  var measuredStatus = byId('check-measured-status');
  var drop = byId('check');

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

  // The settings as the generator marked them from the core's table: each input's data-setting
  // names its key in the request, inside "feed" for the feed system's.
  function request() {
    var settings = { feed: {} };
    form.querySelectorAll('[data-setting]').forEach(function (input) {
      var value = input.value;
      if (input.hasAttribute('data-list')) value = value.split(/\s+/).filter(function (t) { return t !== ''; });
      (input.hasAttribute('data-feed') ? settings.feed : settings)[input.dataset.setting] = value;
    });
    var own = settings.ground === 'custom';
    if (own) settings.ground = '';
    settings.groundConstants = own ? byId('check-epsr').value + ',' + byId('check-sigma').value : '';
    var sides = byId('Option1').checked ? 3 : byId('Option2').checked ? 4 : 0;
    return { fields: fieldTexts(), sides: sides, settings: settings, measured: measured };
  }

  function setBusy(on) {
    busy = on;
    cancelButton.disabled = !on;
    progress.hidden = !on;
  }
  brimalox.worker.onStop(function () { setBusy(false); });
  var ask = brimalox.worker.ask;
  var stop = brimalox.worker.stop;

  // On a phone (below 600 px) the report's short form comes first: the sweep's table (MHz, the
  // impedance and the SWR where the check takes them), which fits the screen, below the answer; the
  // full text is one tap away (FULL REPORT, which shows it in a box of its own that scrolls
  // sideways, and its download).
  var phone = matchMedia('(max-width: 599px)');
  var fullButton = document.createElement('button');
  fullButton.type = 'button';
  fullButton.id = 'check-full';
  fullButton.textContent = 'FULL REPORT';
  fullButton.setAttribute('aria-controls', 'check-report');
  fullButton.setAttribute('aria-expanded', 'false');
  fullButton.hidden = true;  // until there is a report
  summary.parentNode.insertBefore(fullButton, summary.nextSibling);
  function showFull(on) {
    report.classList.toggle('wide', on);
    fullButton.setAttribute('aria-expanded', String(on));
    if (on) report.scrollIntoView({ block: 'nearest' });
  }
  fullButton.addEventListener('click', function () { showFull(!report.classList.contains('wide')); });
  var tableAfter = downloads;
  function placeTable() {
    var after = phone.matches ? fullButton : tableAfter;
    after.parentNode.insertBefore(sweepTable, after.nextSibling);
  }
  if (phone.addEventListener) phone.addEventListener('change', placeTable);
  placeTable();
  // A chart fitted to a phone's screen shows at its own size at a tap, and fits again at the next.
  document.addEventListener('click', function (event) {
    var chart = event.target;
    if (phone.matches && chart.classList && chart.classList.contains('check-chart')) chart.classList.toggle('full');
  });

  function clearResults() {
    urls.forEach(function (u) { URL.revokeObjectURL(u); });
    urls = [];
    charts.textContent = '';
    downloads.textContent = '';
    sweepTable.hidden = true;
    sweepTable.tBodies[0].textContent = '';
    summary.textContent = '';
    fullButton.hidden = true;
  }

  // The answer in a few sentences, one an item of the list.
  function fillSummary(sentences, list) {
    list = list || summary;
    list.textContent = '';
    (sentences || []).forEach(function (sentence) {
      var li = document.createElement('li');
      li.textContent = sentence;
      list.appendChild(li);
    });
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

  // The core's texts of each row, the report's digits.
  function fillTable(rows) {
    var body = sweepTable.tBodies[0];
    rows.forEach(function (row) {
      var tr = document.createElement('tr');
      row.forEach(function (text) {
        var td = document.createElement('td');
        td.textContent = text;
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
      report.classList.add('message');
      status.textContent = result.kind === 'refused' ? 'Not run: ' + result.message : 'The model failed: ' + result.message;
      return;
    }
    fillSummary(result.summary);
    showFull(false);
    fullButton.hidden = false;
    report.textContent = result.report;
    report.classList.remove('message');
    var name = 'brimalox-' + byId('Text2').value.trim().replace(/[^0-9A-Za-z.+-]/g, '_');
    outputs.forEach(function (o) { if (o.chart) addChart(result[o.result], o.chart); });
    outputs.forEach(function (o) {
      addDownload(result[o.result], name + '-' + o.name + '.' + o.suffix, o.mime, o.label + ' (.' + o.suffix + ')');
    });
    fillTable(result.table);
    var failed = result.failures.length ? ' The model failed at some frequencies: ' + result.failures[0] : '';
    status.textContent = 'Done.' + failed;
    brimalox.guide.done('check');
  }

  function failed(message) {
    setBusy(false);
    clearResults();
    report.textContent = 'The model could not run: ' + message;
    report.classList.add('message');
    status.textContent = report.textContent;
  }

  var BAR_STEP_MS = 250;

  // A run that goes on too long is stopped by the worker's client, as every run in the page is.
  // after(result), if given, is told the result shown, or null when the run failed.
  function run(after) {
    if (busy) stop();  // a new run replaces the one going
    setBusy(true);
    progress.value = 0;
    progress.max = 1;
    status.textContent = 'Running the model...';
    var asked = request();
    var drawn = -Infinity;
    ask({ type: 'check', request: JSON.stringify(asked) }, {
      // The bar moves a few times a second, not at every frequency: each move is drawn on a processor
      // the engines are using, and on two cores drawing them all slowed the check by 5 to 10 %.
      progress: function (done, total) {
        var now = performance.now();
        if (now - drawn < BAR_STEP_MS && done < total) return;
        drawn = now;
        progress.max = total;
        progress.value = done;
      },
      done: function (result) {
        setBusy(false);
        show(result, asked);
        if (after) after(result);
      },
      failed: function (message) {
        failed(message);
        if (after) after(null);
      }
    });
  }

  form.addEventListener('submit', function (event) {
    event.preventDefault();
    run(null);
  });
  cancelButton.addEventListener('click', function () {
    stop();
    status.textContent = 'Cancelled.';
  });

  // A file is read and checked at once, so a broken one is named before anything runs and the
  // last report stays as it is. A broken file replaces a good one chosen before: what the user chose
  // last is what the next run would use, and nothing measured is used until a good file is chosen.
  function refuseFile(said) {
    measured = null;
    measuredClear.hidden = true;
    measuredStatus.textContent = said + ' Nothing measured is used until a file that reads is chosen.';
  }

  function takeFile(file) {
    if (!file) return;
    file.text().then(function (text) {
      ask({ type: 'touchstone', text: text }, {
        progress: function () {},
        done: function (problem) {
          if (problem) {
            refuseFile(file.name + ': ' + problem + '.');
            return;
          }
          measured = { name: file.name, text: text };
          measuredStatus.textContent = file.name + ' will be drawn over the model at the next run.';
          measuredClear.hidden = false;
        },
        failed: function (message) { refuseFile(file.name + ' cannot be read: ' + message + '.'); }
      });
    }, function (error) {
      refuseFile(file.name + ' cannot be read: ' + error + '.');
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

  progress.hidden = true;
  // About how long `frequencies` model frequencies take in this page: on the 2-core machine the
  // benchmark measured about 20 ms a frequency in free space or over perfect ground, and 85 ms over a
  // real ground (NEC-2's Sommerfeld-Norton model).
  function realGround(s) { return ['', 'free', 'perfect'].indexOf(s.ground) < 0 || s.groundConstants !== ''; }
  function secondsText(frequencies, real) {
    var seconds = frequencies * (real ? 0.085 : 0.02);
    return 'about ' + (seconds < 1.5 ? 1 : Math.round(seconds)) + ' s' + (real ? ' over this ground' : '');
  }
  // `runs` checks in a row, from the sweep, the extra patterns and heights.
  function estimate(runs) {
    var s = request().settings;
    var from = parseFloat(s.from), to = parseFloat(s.to), step = parseFloat(s.step);
    var sweep = from > 0 && to > from && step > 0 ? Math.floor((to - from) / step + 1e-9) + 1 : 61;
    var heights = s.heights.split(':').map(parseFloat);
    var extra = s.patternAt.length + 1 +
        (heights.length === 3 && heights[2] > 0 ? Math.floor((heights[1] - heights[0]) / heights[2] + 1e-9) + 1 : 0);
    return secondsText(runs * (sweep + Math.max(0, extra)), realGround(s));
  }
  function showEstimates() {
    byId('check-estimate').textContent = estimate(1);
    byId('trim-estimate').textContent = estimate(2);  // the design's model and the trimmed design's
  }
  byId('check-settings').addEventListener('input', showEstimates);
  byId('check-settings').addEventListener('change', showEstimates);
  byId('check-settings').addEventListener('reset', function () { setTimeout(showEstimates, 0); });
  showEstimates();

  brimalox.check = {
    // The design the window shows and the settings above, with the measured file, as the worker
    // takes them: {fields, sides, settings, measured}.
    request: request,
    // Takes a measurement that did not come from a file ({name, text}, the analyser's sweep) as a
    // chosen file is taken, for the next run and the trim.
    useMeasured: function (taken) {
      measured = taken;
      measuredInput.value = '';
      measuredClear.hidden = false;
      measuredStatus.textContent = taken.name + ' will be drawn over the model at the next run.';
    },
    // Runs the check, as RUN THE MODEL does; after(result or null) is told how it ended.
    run: run,
    // Shows a result's summary (sentences) in a list of the page's: the answer above its report.
    fillSummary: fillSummary,
    // "about 4 s over this ground" for that many model frequencies with the settings above.
    estimate: function (frequencies) { return secondsText(frequencies, realGround(request().settings)); }
  };
})();
