// "copy link" and "copy results" below the window: the page's address, or the field texts as a
// plain-text table under the page's title, to the clipboard (the browser's older copy command where
// the clipboard is refused). They work once the core has loaded, when the value fields are known.
brimalox.copy = (function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }
  var read = brimalox.form.read, fields = brimalox.fields, announce = brimalox.speech.announce;

  // The match's row as the window's own label names it.
  var ROW_WORDS = {'300 OHM MATCH': '300 OHM SERIES MATCH LENGHT'};

  function resultsText() {
    var value = function (field) { return read(byId(field.field)); };
    var frequency = fields.all()[0];
    var rows = [[byId('Text1').value, value(frequency)]];
    fields.conductorFields().forEach(function (f) { rows.push([f.unit.toUpperCase(), value(f)]); });
    rows.push([byId('Option1').checked ? 'THREE SIDED' : byId('Option2').checked ? 'FOUR SIDED' : 'NO FORM SELECTED', '']);
    rows.push(['', 'IN', 'MM']);
    // The lengths, a row for each caption: inches, then millimetres.
    fields.lengths().forEach(function (f) {
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

  return {
    // The buttons' clicks, and the buttons enabled.
    enable: function () {
      byId('copy-link').addEventListener('click', function () { copy(location.href, 'Link copied.'); });
      byId('copy-results').addEventListener('click', function () { copy(resultsText(), 'Results copied.'); });
      byId('copy-link').disabled = byId('copy-results').disabled = false;
    }
  };
})();
