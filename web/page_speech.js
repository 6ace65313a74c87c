// What a screen reader hears after a click: a polite live region says what the click gave, in
// words ("ACCEPT: AWG 14, 0.064 inch, 1.626 millimetres"); a failure is its own alert.
brimalox.speech = (function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }
  var read = brimalox.form.read;
  var fields = brimalox.fields;

  // How a value is said: the words of its group's caption on the group's first field, and of its
  // unit (a conductor's diameter in inches is "inch", a length "inches").
  var SAID_CAPTIONS = {HEIGHT: 'height', SIDE: 'side', GAP: 'gap', '300 OHM MATCH': 'series match'};
  var SAID_UNITS = {AWG: 'AWG %', inch: '% inches', mm: '% millimetres'};
  var SAID_DIAMETERS = {inch: '% inch'};
  var announcer = byId('announce');

  function said(field, first) {
    var unit = (fields.conductorUnit(field) && SAID_DIAMETERS[field.unit]) || SAID_UNITS[field.unit];
    return (first && SAID_CAPTIONS[field.caption] ? SAID_CAPTIONS[field.caption] + ' ' : '') +
           unit.replace('%', read(byId(field.field)));
  }

  // The value fields a button's click gives new values: ACCEPT the conductor's, a CHANGE the other
  // two, COMPUTE every field after the conductor's.
  function written(button) {
    var conductor = fields.conductorFields();
    if (button.id === 'Command7') return conductor;
    if (button.id === 'Command4') return fields.lengths();
    var own = conductor.filter(function (f) { return f.change === button.id; })[0];
    return own ? conductor.filter(function (f) { return f !== own; }) : [];
  }

  function announce(text) {
    // The same words twice in a row are still news: a changed text makes the region speak again.
    announcer.textContent = announcer.textContent === text ? text + '\u00a0' : text;
  }

  function announceResults(button) {
    var given = written(button);
    var words = given.map(function (field, i) { return said(field, i === 0 || given[i - 1].caption !== field.caption); });
    if (words.length) announce(button.getAttribute('aria-label') + ': ' + words.join(', '));
  }

  return { announce: announce, announceResults: announceResults };
})();
