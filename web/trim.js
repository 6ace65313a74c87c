// The trim below the check: the design and the check's settings with what the built antenna
// measured, through the model's worker. Its CANCEL, like the check's, ends the worker and whatever
// it was doing.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }
  var ask = brimalox.worker.ask;
  var stop = brimalox.worker.stop;
  var request = brimalox.check.request;

  var trimCancel = byId('trim-cancel');
  var trimStatus = byId('trim-status');
  var trimReport = byId('trim-report');
  var trimSummary = byId('trim-summary');
  var trimSheet = byId('trim-sheet');
  var trimmed = null;  // the trimmed design's texts and form, for its build sheet
  var trimming = false;

  function setTrimming(on) {
    trimming = on;
    trimCancel.disabled = !on;
  }
  brimalox.worker.onStop(function () { setTrimming(false); });

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
    trimSummary.textContent = '';
    trimStatus.textContent = 'Running the model of the design and of the trimmed design...';
    var asked = request();
    asked.trim = { source: trimSource(), low: byId('trim-2to1-low').value, high: byId('trim-2to1-high').value,
                   dip: byId('trim-dip').value, builtSide: byId('trim-built-side').value,
                   builtHeight: byId('trim-built-height').value };
    ask({ type: 'trim', request: JSON.stringify(asked) }, {
      progress: function () {},
      done: function (result) {
        setTrimming(false);
        if (!shown.ok(result)) return;
        brimalox.check.fillSummary(result.summary, trimSummary);
        trimReport.textContent = result.report;
        trimReport.classList.remove('message');
        trimmed = { fields: Object.assign({}, asked.fields, result.trimmed), sides: asked.sides, remark: result.remark,
                    built: result.built, settings: asked.settings };
        trimSheet.hidden = false;
        trimStatus.textContent = 'Done.';
        brimalox.guide.done('build');
        brimalox.guide.done('trim');
      },
      failed: function (message) {
        setTrimming(false);
        shown.couldNotRun(message);
      }
    });
  }

  var shown = brimalox.worker.view('trim', 'model', runTrim);
  // The build sheet draws it: the window's texts with the trimmed height and side, with the model
  // check of that trimmed design, run first with the trim's settings (nothing measured: that was of
  // the antenna as built).
  trimSheet.addEventListener('click', function () {
    if (!trimmed) return;
    var design = trimmed;
    if (trimming) stop();
    setTrimming(true);
    trimStatus.textContent = 'Running the model check of the trimmed design for its sheet...';
    ask({ type: 'check', request: JSON.stringify({ fields: design.fields, sides: design.sides,
                                                   settings: design.settings, measured: null }) }, {
      progress: function () {},
      done: function (result) {
        setTrimming(false);
        if (!result.ok) {
          trimStatus.textContent = 'No model check of the trimmed design: ' + result.message;
          return;
        }
        trimStatus.textContent = 'Done.';
        brimalox.sheet.build(Object.assign({}, design, { model: result.sheetModel }));
      },
      failed: function (message) {
        setTrimming(false);
        trimStatus.textContent = 'The model check of the trimmed design could not run: ' + message;
      }
    });
  });
})();
