// The search for the design that covers given bands, in the model's worker, candidates one after
// the other, with the check's feed line, ground and height; USE THIS DESIGN then takes the winner
// down the window's road.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }
  var ask = brimalox.worker.ask;
  var stop = brimalox.worker.stop;
  var request = brimalox.check.request;

  var coverCancel = byId('cover-cancel');
  var coverProgress = byId('cover-progress');
  var coverStatus = byId('cover-status');
  var coverReport = byId('cover-report');
  var coverSummary = byId('cover-summary');
  var coverChart = byId('cover-chart');
  var coverUse = byId('cover-use');
  var found = null;  // the best design of the last search: {frequency, sides, unit, conductor}
  var covering = false;

  function setCovering(on) {
    covering = on;
    coverCancel.disabled = !on;
    coverProgress.hidden = !on;
  }
  brimalox.worker.onStop(function () { setCovering(false); });

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

  // The search's report as text, CSV and JSON, the texts brimalox-cli cover --format text, csv and
  // json print, named after the winner as the window names a design's files.
  var coverDownloads = byId('cover-downloads');
  var downloadUrls = [];
  function offer(result) {
    downloadUrls.forEach(function (u) { URL.revokeObjectURL(u); });
    downloadUrls = [];
    coverDownloads.textContent = '';
    if (!result) return;
    var stem = result.stem + '-cover';
    [[result.report, 'text/plain', 'txt', 'report'], [result.csv, 'text/csv', 'csv', 'winner and next best'],
     [result.json, 'application/json', 'json', 'report']].forEach(function (d) {
      var a = document.createElement('a');
      a.href = URL.createObjectURL(new Blob([d[0]], { type: d[1] }));
      downloadUrls.push(a.href);
      a.download = stem + '.' + d[2];
      a.textContent = d[3] + ' (.' + d[2] + ')';
      coverDownloads.appendChild(a);
    });
  }

  function coverRequest() {
    var asked = request();
    asked.sides = Number(byId('cover-sides').value);
    asked.cover = { bands: coverBands(), maxSwr: byId('cover-max-swr').value, conductors: byId('cover-conductors').value };
    return asked;
  }

  // Beside SEARCH, how long the search takes at most, from the runs the core plans for these
  // settings and the frequencies each runs; nothing while the settings would be refused.
  var coverEstimate = byId('cover-estimate');
  function showEstimate() {
    brimalox.page.core.then(function (core) {
      var plan = JSON.parse(core.coverPlan(JSON.stringify(coverRequest())));
      coverEstimate.textContent = plan.ok
        ? brimalox.check.estimate(plan.frequencies) + ', at most ' + plan.runs + ' model runs' : '';
    }, function () {});
  }
  ['cover-settings', 'check-settings'].forEach(function (id) {
    byId(id).addEventListener('input', showEstimate);
    byId(id).addEventListener('change', showEstimate);
    byId(id).addEventListener('reset', function () { setTimeout(showEstimate, 0); });
  });
  showEstimate();

  function runCover() {
    if (covering) stop();
    setCovering(true);
    found = null;
    coverUse.hidden = true;
    coverReport.textContent = '';
    coverSummary.textContent = '';
    showChart('');
    offer(null);
    coverStatus.textContent = 'Searching...';
    var asked = coverRequest();
    coverProgress.removeAttribute('value');  // moving, with no total yet
    var started = performance.now();
    ask({ type: 'cover', request: JSON.stringify(asked) }, {
      progress: function (runs, planned, best) {
        coverProgress.max = planned;
        coverProgress.value = runs;
        coverStatus.textContent = runs + ' of ' + planned + ' model runs, best so far ' + (best || 'none yet');
      },
      done: function (result) {
        setCovering(false);
        if (!shown.ok(result)) return;
        brimalox.check.fillSummary(result.summary, coverSummary);
        coverReport.textContent = result.report;
        coverReport.classList.remove('message');
        showChart(result.swrSvg);
        offer(result);
        found = result.best;
        coverUse.hidden = !found;
        coverStatus.textContent = 'Done: ' + result.runs + ' model runs in ' +
          ((performance.now() - started) / 1000).toFixed(1) + ' s.';
      },
      failed: function (message) {
        setCovering(false);
        shown.couldNotRun(message);
      }
    });
  }

  var shown = brimalox.worker.view('cover', 'search', runCover);

  // The winner down the window's own road (the core's, as a user's clicks take it); it stops where
  // the window reports a failure.
  coverUse.addEventListener('click', function () {
    if (!found) return;
    var design = { frequency: found.frequency, sides: found.sides, conductor: found.conductor,
                   unit: found.unit === 'recommended' ? null : found.unit };
    brimalox.page.showDesign(design).then(function (ok) { if (ok) byId('Form1').scrollIntoView(); });
  });
})();
