// The window's boxes and the windows it opens: a box's text as the core takes it and gives it back,
// the notes and the website windows (modeless, brought to the front when clicked, beside the main
// window where there is room) and a failed click's message over the main window (modal). Each
// window gives the keys back to where they were once dismissed; their buttons and keys work from
// the start. The page's later parts reach them through brimalox.form.
var brimalox = {};  // the one object the page's parts meet in (page.js tells how)

(function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }

  var boxes = [];
  for (var n = 1; n <= 24; ++n) boxes.push(byId('Text' + n));
  var options = [byId('Option1'), byId('Option2')];

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

  brimalox.form = {
    boxes: boxes,      // Text1 to Text24
    options: options,  // Option1, Option2
    read: read,
    write: write,
    showNotes: showNotes,
    showWebsite: showWebsite,
    showFailure: showFailure,
    failureShown: function () { return failure.open; }
  };
})();
