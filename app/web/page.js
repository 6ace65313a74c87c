// The page's side of the calculator: each click hands the texts the fields show at that moment and
// both option buttons to the core, which runs the button's handler, and writes every text back.
// It also shows what a click asks for: a failed click's message, the notes window and the website
// window. The buttons stay disabled until the core has loaded, so that no click is lost.
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

  // Beside the main window where the screen has room, else over it below the frequency row.
  function place(dialog) {
    var form = byId('Form1');
    var beside = form.offsetWidth + 8;
    var fits = beside + dialog.offsetWidth <= document.documentElement.clientWidth;
    dialog.style.left = (fits ? beside : 8) + 'px';
    dialog.style.top = (fits ? 0 : 64) + 'px';
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

  function press(core, button) {
    var texts = boxes.map(read);
    var out = core.press(button.id, texts, [options[0].checked, options[1].checked]);
    for (var i = 0; i < boxes.length; ++i)
      if (out.texts[i] !== texts[i]) write(boxes[i], out.texts[i]);
    if (!out.ok) showFailure(out.message);
    else if (out.window === 'notes') showNotes();
    else if (out.window === 'website') showWebsite();
  }

  createBrimaloxCore().then(function (core) {
    buttons.forEach(function (button) {
      button.addEventListener('click', function () { press(core, button); });
      button.disabled = false;
    });
    performance.mark('brimalox-ready');
  }, function (error) {
    showFailure('The calculator could not be loaded in this browser: ' + error);
  });
})();
