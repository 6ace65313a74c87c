// The page's side of the calculator, its clicks: each click hands the texts the fields show at that
// moment and both option buttons to the core, which runs the button's handler, and writes every text
// back; then it shows what the click asks for (a failed click's message, the notes window, the
// website window) or says what it gave. The buttons stay disabled until the core has loaded, so
// that no click is lost, and the page says so when the calculator cannot run here.
// The page's scripts run one after the other in the order the build lists them (web/CMakeLists.txt),
// and meet in one object, brimalox, each part taking what it needs from those before it and giving the
// later ones only what they use: brimalox.form (the window's boxes and dialogs, page_dialogs.js),
// brimalox.fields (the core's value fields, page_fields.js), brimalox.speech (what a screen reader
// hears, page_speech.js), brimalox.guide (the builder's road, page_guide.js), brimalox.address (the
// design in the address, page_address.js), brimalox.copy (copying the link and the results,
// page_copy.js). page.js, the last of them, gives the parts below the window brimalox.page (the
// window's core, loaded once for the window, the check and the build sheet, and the design road);
// they add brimalox.worker, brimalox.check and brimalox.sheet.
(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }
  var form = brimalox.form, address = brimalox.address;
  var boxes = form.boxes, options = form.options, read = form.read;

  var buttons = [];
  for (var b = 1; b <= 7; ++b) buttons.push(byId('Command' + b));

  // Runs one button's handler in the core; true when the click went through.
  function press(core, button) {
    var texts = boxes.map(read);
    var out = core.press(button.id, texts, [options[0].checked, options[1].checked]);
    for (var i = 0; i < boxes.length; ++i)
      if (out.texts[i] !== texts[i]) form.write(boxes[i], out.texts[i]);
    address.follow(button.id, address.textsByField(texts), address.textsByField(out.texts), out.ok);
    if (!out.ok) form.showFailure(out.message);
    else if (out.window === 'notes') form.showNotes();
    else if (out.window === 'website') form.showWebsite();
    else brimalox.speech.announceResults(button);
    if (out.ok && button.id === 'Command4' && (options[0].checked || options[1].checked))
      address.keepDesign(address.textsByField(texts));
    byId('copied').textContent = '';
    if (out.ok && button.id === 'Command4') address.sayOfAddress('');
    return out.ok;
  }

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
    brimalox.fields.load(core);
    buttons.forEach(function (button) {
      button.addEventListener('click', function () { press(core, button); });
      button.disabled = false;
    });
    var design = address.designFrom(location.hash);
    if (design) {
      address.showDesign(core, design);
      if (!form.failureShown()) selectStartField();
    }
    addEventListener('hashchange', function () {
      var next = address.designFrom(location.hash);
      if (next && !address.isShown(location.hash)) address.showDesign(core, next);
    });
    brimalox.copy.enable();
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
    // A design ({frequency, sides: 3 or 4, unit: 'awg', 'inch', 'mm' or null, conductor}) down the
    // core's road; resolves to whether every click went through.
    showDesign: function (design) {
      return loading.then(function (core) {
        return address.showDesign(core, design);
      });
    }
  };
})();
