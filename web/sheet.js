// BUILD SHEET, below the window: the build sheet of the design the window shows, drawn by the core
// (the code brimalox-cli sheet draws with), opened over the page and printed as one page with
// nothing of the page on it, its cut list and whole sheet offered as files. It draws with the
// window's own core, which it only hands texts to.
// Its markup and style are the page generator's; the check reaches it through brimalox.sheet.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }
  var view = byId('sheet-view');
  var paper = byId('sheet-paper');
  var message = byId('sheet-message');

  // The page size of the paper chosen (the generator's style sheets, one a paper).
  function showPaper() {
    byId('sheet-page-a4').disabled = paper.value === 'letter';
    byId('sheet-page-letter').disabled = paper.value !== 'letter';
  }
  showPaper();

  function twoDigits(n) { return (n < 10 ? '0' : '') + n; }
  function today() {
    var d = new Date();
    return d.getFullYear() + '-' + twoDigits(d.getMonth() + 1) + '-' + twoDigits(d.getDate());
  }

  // The texts as the window shows them; a text area's LF line ends as the core's CR LF.
  function texts() {
    var out = [];
    for (var n = 1; n <= 24; ++n) {
      var box = byId('Text' + n);
      out.push(box.tagName === 'TEXTAREA' ? box.value.replace(/\r?\n/g, '\r\n') : box.value);
    }
    return out;
  }

  // The last model check's figures, carried while the window shows the design they are of.
  var checked = null;
  function modelFigures() {
    if (!checked || !checked.model) return null;
    var sides = byId('Option1').checked ? 3 : byId('Option2').checked ? 4 : 0;
    var same = sides === checked.sides && Object.keys(checked.fields).every(function (id) {
      return byId(id).value === checked.fields[id];
    });
    return same ? checked.model : null;
  }

  // The drawn sheet's cut list and whole sheet, the texts brimalox-cli sheet --format csv and json
  // write, offered below BUILD SHEET; none while the last sheet asked for could not be drawn.
  var downloads = byId('sheet-downloads');
  var urls = [];
  function offer(out, stem) {
    urls.forEach(function (u) { URL.revokeObjectURL(u); });
    urls = [];
    downloads.hidden = !out;
    if (!out) return;
    [['sheet-csv', out.csv, 'text/csv', '-cutlist.csv'], ['sheet-json', out.json, 'application/json', '-sheet.json']]
      .forEach(function (d) {
        var url = URL.createObjectURL(new Blob([d[1]], { type: d[2] }));
        urls.push(url);
        byId(d[0]).href = url;
        byId(d[0]).download = stem + d[3];
      });
  }

  // design: the texts and form to draw instead of the window's ({fields: {TextN: text}, sides,
  // remark, model (its own check's figures or null), built (the built design's height, side and gap
  // in mm)}).
  function open(core, design) {
    var shown = texts();
    var options = [byId('Option1').checked, byId('Option2').checked];
    if (design) {
      Object.keys(design.fields).forEach(function (id) { shown[Number(id.slice(4)) - 1] = design.fields[id]; });
      options = [design.sides === 3, design.sides === 4];
    }
    var out = core.sheet(shown, options, paper.value, today(), design ? design.model : modelFigures(),
                         design ? design.remark : '',
                         { allowance: byId('sheet-joint').value, built: design ? design.built : null });
    if (!out.ok) {
      offer(null);
      message.textContent = out.message;
      return;
    }
    message.textContent = '';
    offer(out, out.stem + (design ? '-trimmed' : ''));
    byId('sheet-page').innerHTML = out.svg;  // the core's own SVG, its texts escaped
    readable(byId('sheet-page').querySelector('svg'));
    showPaper();
    view.showModal();
    brimalox.guide.done('sheet');
  }

  // A phone's screen would shrink the sheet until its text is about 5 CSS px: there it opens as
  // wide as its smallest text needs to be 12 px, and its view scrolls (the page's zoom enlarges it
  // further). Elsewhere it fits the screen.
  var phone = matchMedia('(max-width: 599px)');
  var READABLE_PX = 12;
  function readable(svg) {
    if (!svg || !phone.matches) return;
    var smallest = Infinity;
    svg.querySelectorAll('text').forEach(function (t) {
      smallest = Math.min(smallest, parseFloat(t.getAttribute('font-size')) || Infinity);
    });
    var width = svg.viewBox.baseVal.width;
    if (isFinite(smallest) && width > 0) svg.style.width = Math.ceil(READABLE_PX * width / smallest) + 'px';
  }

  function build(design) {
    brimalox.page.core.then(function (core) { open(core, design); }, function (error) {
      message.textContent = 'The build sheet could not be drawn in this browser: ' + error;
    });
  }
  byId('sheet-build').addEventListener('click', function () { build(null); });
  brimalox.sheet = {
    // The figures of a finished check: {fields: {TextN: text}, sides, model}.
    checked: function (figures) { checked = figures; },
    // The trim's PRINT THE TRIMMED SHEET: the sheet of the trimmed design.
    build: build,
    // Says why a sheet could not be drawn.
    say: function (text) { message.textContent = text; }
  };
  byId('sheet-print').addEventListener('click', function () { window.print(); });
  byId('sheet-close').addEventListener('click', function () { view.close(); });
})();
