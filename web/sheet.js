// BUILD SHEET, below the window: the build sheet of the design the window shows, drawn by the core
// (the code brimalox-cli sheet draws with), opened over the page and printed as one page with
// nothing of the page on it. The core is loaded on the first click: the calculator does not wait
// for it, and it holds no state of the window's own.
(function () {
  'use strict';

  var style = document.createElement('style');
  style.textContent =
    '#sheet { margin: 10px 0 0 8px; }\n' +
    '#sheet, #sheet-view { font: 13px "Liberation Sans", Arial, Helvetica, sans-serif; }\n' +
    '#sheet button, #sheet select, #sheet-view button { font: inherit; min-height: 26px; }\n' +
    '#sheet-message { margin: 6px 0 0; color: #000; }\n' +
    '#sheet-view { padding: 0; border: 1px solid #6d6d6d; background: #fff; color: #000; max-height: 96vh; }\n' +
    '#sheet-view .sheet-controls { display: flex; gap: 8px; justify-content: flex-end; padding: 6px 8px;' +
    ' background: #efefef; border-bottom: 1px solid #b4b4b4; position: sticky; top: 0; }\n' +
    '#sheet-page svg { display: block; width: min(210mm, 92vw); height: auto; }\n' +
    // On paper: the sheet alone, the page's own size, no margin of the browser's.
    '@media print {\n' +
    '  body > :not(#sheet-view) { display: none !important; }\n' +
    '  #sheet-view { position: static; display: block; border: 0; margin: 0; padding: 0;' +
    ' max-width: none; max-height: none; overflow: hidden; }\n' +
    '  #sheet-view::backdrop { display: none; }\n' +
    '  #sheet-view .sheet-controls { display: none; }\n' +
    '  #sheet-page svg { width: 100vw; height: 99.5vh; }\n' +
    '}\n';
  document.head.appendChild(style);
  var pageSize = document.createElement('style');
  document.head.appendChild(pageSize);

  var section = document.createElement('section');
  section.id = 'sheet';
  section.setAttribute('aria-label', 'Build sheet');
  section.innerHTML =
    '<button type="button" id="sheet-build">BUILD SHEET</button> ' +
    '<label for="sheet-paper">PAPER</label> <select id="sheet-paper">' +
    '<option value="a4">A4</option><option value="letter">LETTER</option></select>' +
    '<p id="sheet-message" role="status"></p>';
  var view = document.createElement('dialog');
  view.id = 'sheet-view';
  view.setAttribute('aria-label', 'Build sheet');
  view.innerHTML =
    '<div class="sheet-controls"><button type="button" id="sheet-print">PRINT</button>' +
    '<button type="button" id="sheet-close">CLOSE</button></div><div id="sheet-page"></div>';
  // Beside the model check, whose figures a builder takes to the bench with the sheet.
  var check = document.getElementById('check');
  check.parentNode.insertBefore(section, check);
  document.body.appendChild(view);

  function byId(id) { return document.getElementById(id); }
  var paper = byId('sheet-paper');
  var message = byId('sheet-message');

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
  check.addEventListener('check-done', function (event) { checked = event.detail; });
  function modelFigures() {
    if (!checked || !checked.model) return null;
    var sides = byId('Option1').checked ? 3 : byId('Option2').checked ? 4 : 0;
    var same = sides === checked.sides && Object.keys(checked.fields).every(function (id) {
      return byId(id).value === checked.fields[id];
    });
    return same ? checked.model : null;
  }

  // design: the texts and form to draw instead of the window's ({fields: {TextN: text}, sides,
  // remark}).
  function open(core, design) {
    var shown = texts();
    var options = [byId('Option1').checked, byId('Option2').checked];
    if (design) {
      Object.keys(design.fields).forEach(function (id) { shown[Number(id.slice(4)) - 1] = design.fields[id]; });
      options = [design.sides === 3, design.sides === 4];
    }
    var out = core.sheet(shown, options, paper.value, today(), design ? null : modelFigures(),
                         design ? design.remark : '');
    if (!out.ok) {
      message.textContent = out.message;
      return;
    }
    message.textContent = '';
    byId('sheet-page').innerHTML = out.svg;  // the core's own SVG, its texts escaped
    pageSize.textContent = '@page { size: ' + (paper.value === 'letter' ? 'letter' : 'A4') + ' portrait; margin: 0; }';
    view.showModal();
  }

  var core = null;
  function build(design) {
    if (core) return open(core, design);
    createBrimaloxCore().then(function (loaded) {
      core = loaded;
      open(core, design);
    }, function (error) {
      message.textContent = 'The build sheet could not be drawn in this browser: ' + error;
    });
  }
  byId('sheet-build').addEventListener('click', function () { build(null); });
  // The trim's PRINT THE TRIMMED SHEET: the sheet of the trimmed design.
  check.addEventListener('trimmed-sheet', function (event) { build(event.detail); });
  byId('sheet-print').addEventListener('click', function () { window.print(); });
  byId('sheet-close').addEventListener('click', function () { view.close(); });
})();
