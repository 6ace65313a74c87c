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
    // Beside the window at its top, or lower where the screen shows less of it.
    dialog.style.top = (fits ? Math.max(0, -screenTop) : Math.max(64, 8 - screenTop)) + 'px';
  }

  // Opening a dialog focuses it where it stands in the page before it is placed, which would scroll
  // the page there: the page stays where the user had it.
  function showInPlace(dialog) {
    var x = scrollX, y = scrollY;
    dialog.show();
    scrollTo(x, y);
    if (dialog === notes) place(notes);
  }

  function showNotes() {
    if (!notes.open) {
      notesBox.value = notesBox.defaultValue;  // reopened, the notes read as written, from the top
      rememberFocus(notes);
      showInPlace(notes);
      notesBox.setSelectionRange(0, 0);
      notesBox.scrollTop = 0;
    }
    raise(notes);
    notes.focus({ preventScroll: true });
  }

  function showWebsite() {
    if (!website.open) {
      rememberFocus(website);
      showInPlace(website);
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

  // --- the core's value fields ----------------------------------------------------------------------

  // The window's value fields as the core's design record declares them (core.valueFields()), read
  // once the core has loaded; the conductor's fields are those whose key starts "conductor_".
  var valueFields = [];
  function conductorUnit(field) {
    return /^conductor_/.test(field.key) ? field.key.slice('conductor_'.length) : null;
  }
  function conductorFields() { return valueFields.filter(conductorUnit); }
  function byField(id) { return valueFields.filter(function (f) { return f.field === id; })[0] || null; }

  // --- what a screen reader hears after a click -------------------------------------------------

  // How a value is said: the words of its group's caption on the group's first field, and of its
  // unit (a conductor's diameter in inches is "inch", a length "inches").
  var SAID_CAPTIONS = {HEIGHT: 'height', SIDE: 'side', GAP: 'gap', '300 OHM MATCH': 'series match'};
  var SAID_UNITS = {AWG: 'AWG %', inch: '% inches', mm: '% millimetres'};
  var SAID_DIAMETERS = {inch: '% inch'};
  var announcer = byId('announce');

  function said(field, first) {
    var unit = (conductorUnit(field) && SAID_DIAMETERS[field.unit]) || SAID_UNITS[field.unit];
    return (first && SAID_CAPTIONS[field.caption] ? SAID_CAPTIONS[field.caption] + ' ' : '') +
           unit.replace('%', read(byId(field.field)));
  }

  // The value fields a button's click gives new values: ACCEPT the conductor's, a CHANGE the other
  // two, COMPUTE every field after the conductor's.
  function written(button) {
    if (button.id === 'Command7') return conductorFields();
    if (button.id === 'Command4')
      return valueFields.slice(valueFields.indexOf(conductorFields().slice(-1)[0]) + 1);
    var own = conductorFields().filter(function (f) { return f.change === button.id; })[0];
    return own ? conductorFields().filter(function (f) { return f !== own; }) : [];
  }

  function announce(text) {
    // The same words twice in a row are still news: a changed text makes the region speak again.
    announcer.textContent = announcer.textContent === text ? text + '\u00a0' : text;
  }

  function announceResults(button) {
    var fields = written(button);
    var words = fields.map(function (field, i) { return said(field, i === 0 || fields[i - 1].caption !== field.caption); });
    if (words.length) announce(button.getAttribute('aria-label') + ': ' + words.join(', '));
  }

  // --- the design in the page's address ------------------------------------------------------------

  // What the user typed and chose, as the design road would take it: the frequency, the conductor
  // with the field it was typed into (none: ACCEPT's proposal), the option. The address names a
  // conductor's unit in its own words.
  var ADDRESS_UNITS = {awg: 'awg', in: 'inch', mm: 'mm'};
  var conductor = null;   // {field, text}
  var accepted = null;    // the frequency text of the last ACCEPT that went through

  function millimetreField() {
    return conductorFields().filter(function (f) { return f.unit === 'mm'; })[0].field;
  }

  // Follows one click: before and after are the texts by field.
  function followConductor(button, before, after, ok) {
    if (button === 'Command7' && ok) {
      accepted = before.Text2;
      conductor = null;
      return;
    }
    conductorFields().forEach(function (f) {
      if (f.change === button && ok) conductor = {field: f.field, text: before[f.field]};
    });
    // A click that failed after writing the millimetres leaves what COMPUTE will read there.
    var mm = millimetreField();
    if (!ok && after[mm] !== before[mm]) conductor = {field: mm, text: after[mm]};
  }

  function textsByField(texts) {
    var out = {};
    texts.forEach(function (text, i) { out['Text' + (i + 1)] = text; });
    return out;
  }

  function designAddress(texts) {
    var params = new URLSearchParams();
    params.set('f', texts.Text2);
    var chosen = conductor;
    // COMPUTE reads the millimetres as they stand; ACCEPT's proposal holds only for the frequency
    // it was made for.
    var mm = millimetreField();
    if (!chosen && accepted !== texts.Text2) chosen = {field: mm, text: texts[mm]};
    if (chosen) {
      var unit = conductorUnit(byField(chosen.field));
      var word = Object.keys(ADDRESS_UNITS).filter(function (w) { return ADDRESS_UNITS[w] === unit; })[0];
      params.set(word, chosen.text);
    }
    params.set('sides', options[0].checked ? '3' : '4');
    return '#' + params.toString();
  }

  // The address's design ({frequency, sides, unit, conductor}), or null when the fragment holds
  // none (an ordinary anchor, say).
  function designFrom(hash) {
    var params = new URLSearchParams(hash.replace(/^#/, ''));
    var known = ['f', 'sides'].concat(Object.keys(ADDRESS_UNITS)).some(function (key) { return params.has(key); });
    if (!known) return null;
    var design = {frequency: params.get('f') || '', sides: params.get('sides'), unit: null, conductor: ''};
    for (var word in ADDRESS_UNITS) {
      if (params.has(word)) {
        design.unit = ADDRESS_UNITS[word];
        design.conductor = params.get(word);
        break;
      }
    }
    return design;
  }

  // What the page says of a link it could not follow all the way ('' says nothing).
  function sayOfAddress(text) {
    var note = byId('address-note');
    note.textContent = text;
    note.hidden = !text;
  }

  // The road, the core's (core.design): ACCEPT, the CHANGE of the conductor's field, the option,
  // COMPUTE; it stops at the first click that fails, whose message shows, as when a user clicks.
  function showDesign(core, design) {
    var texts = boxes.map(read);
    texts[1] = String(design.frequency);
    var sides = design.sides === '3' || design.sides === 3 ? 3 : design.sides === '4' || design.sides === 4 ? 4 : 0;
    sayOfAddress(sides ? '' : design.sides === null || design.sides === undefined
      ? 'The link names no form, so the window selects none. Add sides=3 (THREE SIDED) or sides=4 (FOUR SIDED) ' +
        'to the link, or select a form and click COMPUTE.'
      : 'The link asks for sides=' + design.sides + ', which the window does not make, so it selects no form. ' +
        'Type sides=3 (THREE SIDED) or sides=4 (FOUR SIDED) in the link, or select a form and click COMPUTE.');
    var out = core.design({frequency: texts[1], sides: sides, unit: design.unit, conductor: design.conductor},
                          texts, [options[0].checked, options[1].checked]);
    for (var i = 0; i < boxes.length; ++i)
      if (out.texts[i] !== read(boxes[i])) write(boxes[i], out.texts[i]);
    options[0].checked = out.options[0];
    options[1].checked = out.options[1];
    // The clicks the road made, each followed as a click of the user's is.
    var clicks = ['Command7'];
    var change = design.unit && conductorFields().filter(function (f) { return conductorUnit(f) === design.unit; })[0];
    if (change) clicks.push(change.change);
    clicks.push('Command4');
    if (out.failed) clicks = clicks.slice(0, clicks.indexOf(out.failed) + 1);
    var before = textsByField(texts);
    var after = textsByField(out.texts);
    var mm = millimetreField();
    clicks.forEach(function (id) {
      var ok = id !== out.failed;
      // What the millimetres held before the click: typed, ACCEPT's proposal, or as the road left them.
      var at = Object.assign({}, before);
      if (id !== 'Command7') {
        at[mm] = change && id === change.change && change.field === mm ? design.conductor : out.recommendedMm;
        if (change && id === change.change) at[change.field] = design.conductor;
      }
      if (id === 'Command4') at[mm] = after[mm];
      followConductor(id, at, ok ? at : after, ok);
    });
    byId('copied').textContent = '';
    if (!out.ok) {
      if (clicks.length > 1) announceResults(byId(clicks[clicks.length - 2]));
      showFailure(out.message);
      return false;
    }
    announceResults(byId('Command4'));
    if (options[0].checked || options[1].checked) {
      stepDone('design');
      shownDesign = designAddress(after);
      history.replaceState(null, '', shownDesign);
    }
    return true;
  }

  // --- the guide ----------------------------------------------------------------------------------------

  // A step of the road marked done; its links go to their part without taking the address, which
  // holds the design.
  function stepDone(step) {
    document.querySelectorAll('#guide li').forEach(function (li) {
      if (li.dataset.step === step) li.querySelector('.step-done').hidden = false;
    });
  }
  document.querySelectorAll('#guide a').forEach(function (link) {
    link.addEventListener('click', function (event) {
      var target = byId(link.getAttribute('href').slice(1));
      if (!target) return;
      event.preventDefault();
      target.scrollIntoView();
      if (!target.hasAttribute('tabindex')) target.setAttribute('tabindex', '-1');
      target.focus({ preventScroll: true });
    });
  });

  // --- copying the link and the results ------------------------------------------------------------

  // The match's row as the window's own label names it.
  var ROW_WORDS = {'300 OHM MATCH': '300 OHM SERIES MATCH LENGHT'};

  function resultsText() {
    var value = function (field) { return read(byId(field.field)); };
    var frequency = valueFields[0];
    var rows = [[byId('Text1').value, value(frequency)]];
    conductorFields().forEach(function (f) { rows.push([f.unit.toUpperCase(), value(f)]); });
    rows.push([byId('Option1').checked ? 'THREE SIDED' : byId('Option2').checked ? 'FOUR SIDED' : 'NO FORM SELECTED', '']);
    rows.push(['', 'IN', 'MM']);
    // The lengths, a row for each caption: inches, then millimetres.
    valueFields.slice(valueFields.indexOf(conductorFields().slice(-1)[0]) + 1).forEach(function (f) {
      var row = rows[rows.length - 1];
      if (row.caption !== f.caption) {
        row = [ROW_WORDS[f.caption] || f.caption, '', ''];
        row.caption = f.caption;
        rows.push(row);
      }
      row[f.unit === 'inch' ? 1 : 2] = value(f);
    });
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
    followConductor(button.id, textsByField(texts), textsByField(out.texts), out.ok);
    if (!out.ok) showFailure(out.message);
    else if (out.window === 'notes') showNotes();
    else if (out.window === 'website') showWebsite();
    else announceResults(button);
    if (out.ok && button.id === 'Command4' && (options[0].checked || options[1].checked)) {
      stepDone('design');
      shownDesign = designAddress(textsByField(texts));
      history.replaceState(null, '', shownDesign);
    }
    byId('copied').textContent = '';
    if (out.ok && button.id === 'Command4') sayOfAddress('');
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
    valueFields = core.valueFields();
    buttons.forEach(function (button) {
      button.addEventListener('click', function () { press(core, button); });
      button.disabled = false;
    });
    var design = designFrom(location.hash);
    if (design) {
      showDesign(core, design);
      if (!failure.open) selectStartField();
    }
    addEventListener('hashchange', function () {
      var next = designFrom(location.hash);
      if (next && location.hash !== shownDesign) showDesign(core, next);
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
  brimalox.guide = { done: stepDone };
  brimalox.page = {
    core: loading,
    // A design ({frequency, sides: 3 or 4, unit: 'awg', 'inch', 'mm' or null, conductor}) down the
    // core's road; resolves to whether every click went through.
    showDesign: function (design) {
      return loading.then(function (core) {
        return showDesign(core, design);
      });
    }
  };
})();
