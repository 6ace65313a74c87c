// The design in the page's address: what the user typed and chose, as the design road would take
// it, is followed click by click and written into the fragment by a COMPUTE that goes through
// (#f=146.52&awg=8&sides=4); an address that names a design runs the road for it (showDesign), and
// what the page could not follow of a link it says in words.
brimalox.address = (function () {
  'use strict';

  function byId(id) { return document.getElementById(id); }
  var form = brimalox.form, fields = brimalox.fields, speech = brimalox.speech;
  var boxes = form.boxes, options = form.options, read = form.read;
  var conductorFields = fields.conductorFields, conductorUnit = fields.conductorUnit;
  var stepDone = brimalox.guide.done;

  // The frequency, the conductor with the field it was typed into (none: ACCEPT's proposal), the
  // option. The address names a conductor's unit in its own words.
  var ADDRESS_UNITS = {awg: 'awg', in: 'inch', mm: 'mm'};
  var conductor = null;   // {field, text}
  var accepted = null;    // the frequency text of the last ACCEPT that went through
  var shownDesign = null; // the fragment the page last wrote

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
      var unit = conductorUnit(fields.byField(chosen.field));
      var word = Object.keys(ADDRESS_UNITS).filter(function (w) { return ADDRESS_UNITS[w] === unit; })[0];
      params.set(word, chosen.text);
    }
    params.set('sides', options[0].checked ? '3' : '4');
    return '#' + params.toString();
  }

  // A COMPUTE that went through with a form selected: the design road's step is done, and the
  // address holds the design of the texts it read.
  function keepDesign(texts) {
    stepDone('design');
    shownDesign = designAddress(texts);
    history.replaceState(null, '', shownDesign);
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
      if (out.texts[i] !== read(boxes[i])) form.write(boxes[i], out.texts[i]);
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
      if (clicks.length > 1) speech.announceResults(byId(clicks[clicks.length - 2]));
      form.showFailure(out.message);
      return false;
    }
    speech.announceResults(byId('Command4'));
    if (options[0].checked || options[1].checked) keepDesign(after);
    return true;
  }

  return {
    follow: followConductor,
    textsByField: textsByField,
    keepDesign: keepDesign,
    designFrom: designFrom,
    sayOfAddress: sayOfAddress,
    showDesign: showDesign,
    // Whether the address is one the page wrote itself, rather than one typed or followed.
    isShown: function (hash) { return hash === shownDesign; }
  };
})();
