// The page's side of the calculator: each click hands the texts the fields show at that moment and
// both option buttons to the core, which runs the button's handler, and writes every text back.
// It also shows what a click asks for: a failed click's message, the notes window and the website
// window. The buttons stay disabled until the core has loaded, so that no click is lost. Around the
// window it keeps the design in the page's address, copies the link and the results, tells a screen
// reader what each click changed, and says so when the calculator cannot run here.
// The parts of the page meet in one object, brimalox: brimalox.page (the window's core, loaded once
// for the window and the build sheet, and the design road), brimalox.sheet (sheet.js).
var brimalox = {};

(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }

  var boxes = [];
  for (var n = 1; n <= 24; ++n) boxes.push(byId('Text' + n));
  var options = [byId('Option1'), byId('Option2')];
  var buttons = [];
  for (var b = 1; b <= 7; ++b) buttons.push(byId('Command' + b));

  var notes = byId('no');
  var notesBox = notes.querySelector('textarea');
  var website = byId('website');
  var failure = byId('failure');
  var failureText = byId('failure-text');
  var front = 10;  // the z-index of the window in front

  // A text area holds LF line ends; the core, like an edit control, CR LF.
  function read(box) {
    return box.tagName === 'TEXTAREA' ? box.value.replace(/\r?\n/g, '\r\n') : box.value;
  }

  function write(box, text) {
    box.value = text;
    // Show the start of a text wider than its box, as the desktop window does.
    if (box.tagName === 'INPUT') box.setSelectionRange(0, 0);
  }

  function raise(dialog) {
    dialog.style.zIndex = String(++front);
  }

  // Keys go back to where they were once a window is dismissed.
  function rememberFocus(dialog) {
    var before = document.activeElement;
    dialog.returnFocus = before && before !== document.body && !dialog.contains(before) ? before : null;
  }

  function restoreFocus(dialog) {
    if (dialog.returnFocus && (dialog.contains(document.activeElement) || document.activeElement === document.body))
      dialog.returnFocus.focus();
    dialog.returnFocus = null;
  }

  // Beside the main window where the screen has room, else over it below the frequency row, or
  // at the top of what the screen shows when the window is a long column on a phone.
  function place(dialog) {
    var form = byId('Form1');
    var beside = form.offsetWidth + 8;
    var fits = beside + dialog.offsetWidth <= document.documentElement.clientWidth;
    var screenTop = byId('screen').getBoundingClientRect().top;
    dialog.style.left = (fits ? beside : 8) + 'px';
    dialog.style.top = (fits ? 0 : Math.max(64, 8 - screenTop)) + 'px';
  }

  function showNotes() {
    if (!notes.open) {
      notesBox.value = notesBox.defaultValue;  // reopened, the notes read as written, from the top
      rememberFocus(notes);
      notes.show();
      place(notes);
      notesBox.setSelectionRange(0, 0);
      notesBox.scrollTop = 0;
    }
    raise(notes);
    notes.focus({ preventScroll: true });
  }

  function showWebsite() {
    if (!website.open) {
      rememberFocus(website);
      website.show();
    }
    raise(website);
    website.querySelector('.ok').focus({ preventScroll: true });
  }

  function showFailure(message) {
    failureText.textContent = '';
    message.split('\n\n').forEach(function (paragraph) {
      var p = document.createElement('p');
      p.textContent = paragraph;
      failureText.appendChild(p);
    });
    rememberFocus(failure);
    failure.showModal();
    var form = byId('Form1').getBoundingClientRect();
    var root = document.documentElement;
    var left = form.left + (form.width - failure.offsetWidth) / 2;
    var top = form.top + (form.height - failure.offsetHeight) / 2;
    failure.style.left = Math.max(8, Math.min(left, root.clientWidth - failure.offsetWidth - 8)) + 'px';
    failure.style.top = Math.max(8, Math.min(top, root.clientHeight - failure.offsetHeight - 8)) + 'px';
    failure.querySelector('.ok').focus();
  }

  [notes, website, failure].forEach(function (dialog) {
    dialog.tabIndex = -1;
    dialog.addEventListener('close', function () { restoreFocus(dialog); });
    dialog.addEventListener('pointerdown', function () { if (dialog !== failure) raise(dialog); });
    dialog.addEventListener('keydown', function (event) {
      if (event.key === 'Escape' && !dialog.matches(':modal')) dialog.close();
    });
    var close = dialog.querySelector('.close, .ok');
    close.addEventListener('click', function () { dialog.close(); });
  });

  // --- what a screen reader hears after a click -------------------------------------------------

  // The value fields in the words of an announcement, and which of them each button's click
  // gives new values (in the order of the window's field numbers).
  var SPOKEN = {Text4: 'AWG %', Text6: '% inch', Text8: '% millimetres', Text11: 'height % inches',
                Text13: '% millimetres', Text16: 'side % inches', Text17: '% millimetres', Text19: 'gap % inches',
                Text20: '% millimetres', Text22: 'series match % inches', Text23: '% millimetres'};
  var WRITES = {Command7: ['Text4', 'Text6', 'Text8'], Command1: ['Text6', 'Text8'], Command2: ['Text4', 'Text8'],
                Command3: ['Text4', 'Text6'],
                Command4: ['Text11', 'Text13', 'Text16', 'Text17', 'Text19', 'Text20', 'Text22', 'Text23']};
  var announcer = byId('announce');

  function announce(text) {
    // The same words twice in a row are still news: a changed text makes the region speak again.
    announcer.textContent = announcer.textContent === text ? text + '\u00a0' : text;
  }

  function announceResults(button) {
    var said = (WRITES[button.id] || []).map(function (id) { return SPOKEN[id].replace('%', read(byId(id))); });
    if (said.length) announce(button.getAttribute('aria-label') + ': ' + said.join(', '));
  }

  // --- the design in the page's address ------------------------------------------------------------

  // What the user typed and chose, as the design road would take it: the frequency, the conductor
  // with the field it was typed into (none: ACCEPT's proposal), the option.
  var CONDUCTORS = {Text4: ['awg', 'Command1'], Text6: ['in', 'Command2'], Text8: ['mm', 'Command3']};
  var conductor = null;   // {field, text}
  var accepted = null;    // the frequency text of the last ACCEPT that went through

  function followConductor(button, texts, out) {
    var index = {Text4: 3, Text6: 5, Text8: 7};
    if (button.id === 'Command7' && out.ok) {
      accepted = texts[1];
      conductor = null;
      return;
    }
    for (var field in CONDUCTORS)
      if (CONDUCTORS[field][1] === button.id && out.ok) conductor = {field: field, text: texts[index[field]]};
    // A click that failed after writing the millimetres leaves what COMPUTE will read there.
    if (!out.ok && out.texts[7] !== texts[7]) conductor = {field: 'Text8', text: out.texts[7]};
  }

  function designAddress(texts) {
    var params = new URLSearchParams();
    params.set('f', texts[1]);
    var chosen = conductor;
    // COMPUTE reads the millimetres as they stand; ACCEPT's proposal holds only for the frequency
    // it was made for.
    if (!chosen && accepted !== texts[1]) chosen = {field: 'Text8', text: texts[7]};
    if (chosen) params.set(CONDUCTORS[chosen.field][0], chosen.text);
    params.set('sides', options[0].checked ? '3' : '4');
    return '#' + params.toString();
  }

  // The address's design, or null when the fragment holds none (an ordinary anchor, say).
  function designFrom(hash) {
    var params = new URLSearchParams(hash.replace(/^#/, ''));
    var known = ['f', 'awg', 'in', 'mm', 'sides'].some(function (key) { return params.has(key); });
    if (!known) return null;
    var design = {f: params.get('f') || '', sides: params.get('sides'), field: null, text: ''};
    for (var field in CONDUCTORS) {
      var key = CONDUCTORS[field][0];
      if (params.has(key)) {
        design.field = field;
        design.text = params.get(key);
        break;
      }
    }
    return design;
  }

  // The road as a user's clicks take it: ACCEPT, the CHANGE of the conductor's field, the option,
  // COMPUTE; it stops at the first click that fails, whose message shows.
  function runDesign(core, design) {
    write(boxes[1], design.f);
    if (!press(core, byId('Command7'))) return;
    if (design.field) {
      write(byId(design.field), design.text);
      if (!press(core, byId(CONDUCTORS[design.field][1]))) return;
    }
    options[0].checked = design.sides === '3';
    options[1].checked = design.sides === '4';
    press(core, byId('Command4'));
  }

  // --- copying the link and the results ------------------------------------------------------------

  function resultsText() {
    var value = function (id) { return read(byId(id)); };
    var rows = [
      [byId('Text1').value, value('Text2')],
      ['AWG', value('Text4')], ['INCH', value('Text6')], ['MM', value('Text8')],
      [byId('Option1').checked ? 'THREE SIDED' : byId('Option2').checked ? 'FOUR SIDED' : 'NO FORM SELECTED', ''],
      ['', 'IN', 'MM'],
      ['HEIGHT', value('Text11'), value('Text13')], ['SIDE', value('Text16'), value('Text17')],
      ['GAP', value('Text19'), value('Text20')],
      ['300 OHM SERIES MATCH LENGHT', value('Text22'), value('Text23')]];
    var widths = [0, 0];
    rows.forEach(function (row) {
      for (var i = 0; i < 2; ++i) widths[i] = Math.max(widths[i], (row[i] || '').length);
    });
    var lines = rows.map(function (row) {
      var line = row[0].padEnd(widths[0] + 2);
      if (row.length > 2) line += row[1].padEnd(widths[1] + 2) + row[2];
      else line += row[1];
      return line.replace(/ +$/, '');
    });
    return document.title + '\n\n' + lines.join('\n') + '\n\n' + location.href + '\n';
  }

  function copy(text, said) {
    var done = function () {
      byId('copied').textContent = said;
      announce(said);
    };
    var fallback = function () {
      var area = document.createElement('textarea');
      area.value = text;
      area.className = 'unseen';
      document.body.appendChild(area);
      area.select();
      var ok = document.execCommand('copy');
      area.remove();
      if (ok) done();
      else byId('copied').textContent = 'The browser did not let the page copy.';
    };
    if (navigator.clipboard && navigator.clipboard.writeText) navigator.clipboard.writeText(text).then(done, fallback);
    else fallback();
  }

  // --- clicks ----------------------------------------------------------------------------------------

  // Runs one button's handler in the core; true when the click went through.
  function press(core, button) {
    var texts = boxes.map(read);
    var out = core.press(button.id, texts, [options[0].checked, options[1].checked]);
    for (var i = 0; i < boxes.length; ++i)
      if (out.texts[i] !== texts[i]) write(boxes[i], out.texts[i]);
    followConductor(button, texts, out);
    if (!out.ok) showFailure(out.message);
    else if (out.window === 'notes') showNotes();
    else if (out.window === 'website') showWebsite();
    else announceResults(button);
    if (out.ok && button.id === 'Command4' && (options[0].checked || options[1].checked)) {
      shownDesign = designAddress(texts);
      history.replaceState(null, '', shownDesign);
    }
    byId('copied').textContent = '';
    return out.ok;
  }

  var shownDesign = null;

  // The first key typed replaces the frequency's default text, as in a box entered with Tab. The
  // browser gives the focus to the autofocus box only at its next frame, so it is given here.
  var startField = document.querySelector('#Form1 [autofocus]');
  function selectStartField() {
    var now = document.activeElement;
    if (!startField || (now && now !== document.body && now !== startField)) return;
    startField.focus({ preventScroll: true });
    startField.select();
  }
  selectStartField();

  function cannotRun(text) {
    var notice = byId('notice');
    notice.textContent = text;
    notice.hidden = false;
  }

  function start(core) {
    buttons.forEach(function (button) {
      button.addEventListener('click', function () { press(core, button); });
      button.disabled = false;
    });
    var design = designFrom(location.hash);
    if (design) {
      runDesign(core, design);
      if (!failure.open) selectStartField();
    }
    addEventListener('hashchange', function () {
      var next = designFrom(location.hash);
      if (next && location.hash !== shownDesign) runDesign(core, next);
    });
    byId('copy-link').addEventListener('click', function () { copy(location.href, 'Link copied.'); });
    byId('copy-results').addEventListener('click', function () { copy(resultsText(), 'Results copied.'); });
    byId('copy-link').disabled = byId('copy-results').disabled = false;
    performance.mark('brimalox-ready');
  }

  // Without WebAssembly the module cannot even start, and a module that failed to load leaves no
  // factory: the page says why rather than showing buttons that never work.
  var LOAD_FAILED = 'The calculator could not be loaded in this browser, so its buttons stay grey. ';
  var loading;
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    cannotRun(LOAD_FAILED + 'It runs on WebAssembly, which this browser does not have or has turned off. ' +
              'Turn WebAssembly on, or open the page in a current browser.');
    loading = Promise.reject(new Error('no WebAssembly in this browser'));
  } else if (typeof createBrimaloxCore !== 'function') {
    cannotRun(LOAD_FAILED + 'Its program part is missing from the page; the file may be damaged.');
    loading = Promise.reject(new Error('the program part is missing from the page'));
  } else {
    try {
      loading = createBrimaloxCore();
    } catch (error) {
      loading = Promise.reject(error);
    }
    loading.then(start, function (error) {
      cannotRun(LOAD_FAILED + 'The browser refused to run its program part (' + error + ').');
    });
  }
  loading.catch(function () {});  // said above; the parts that wait for the core say it again
  brimalox.page = {
    core: loading,
    // A design ({f, field: 'Text4', 'Text6', 'Text8' or null, text, sides: '3' or '4'}) down the
    // road; resolves to whether every click went through.
    runDesign: function (design) {
      return loading.then(function (core) {
        runDesign(core, design);
        return !failure.open;
      });
    }
  };
})();
