// Appended to the module's JavaScript (emcc --post-js): the one call the page makes per click.
//
//   const core = await createBrimaloxCore();
//   const out = core.press('Command4', texts, [option1, option2]);
//
// texts: the 24 field texts, Text1 first, as the page shows them now; options: whether Option1 and
// Option2 are selected. Returns {texts, ok, family, kind, message, window}: every field text after
// the click, whether it went through, for a failed one its family ("conversion"), kind ("type
// mismatch") and the desktop's message, and the dialog the click asked for ("notes", "website" or
// null). The values the handlers share between clicks stay in the module. core.texts() gives the
// texts the module holds now: at start, the window's start-up texts. core.sheet() draws the build
// sheet and gives its cut list and JSON (below).

var brimaloxEncoder = new TextEncoder();
var brimaloxDecoder = new TextDecoder();

function brimaloxBytes(pointer, length) {
  return brimaloxDecoder.decode(HEAPU8.subarray(pointer, pointer + length));
}

function brimaloxCString(pointer) {
  return brimaloxBytes(pointer, HEAPU8.indexOf(0, pointer) - pointer);
}

Module['fieldCount'] = 24;

function brimaloxTexts() {
  var out = [];
  for (var f = 1; f <= 24; ++f) out.push(brimaloxBytes(_brimalox_text(f), _brimalox_text_length(f)));
  return out;
}

Module['texts'] = brimaloxTexts;

function brimaloxHandOver(texts, options) {
  if (texts.length !== 24) throw new RangeError('24 field texts expected, got ' + texts.length);
  for (var i = 0; i < 24; ++i) {
    var bytes = brimaloxEncoder.encode(String(texts[i]));
    var pointer = _malloc(bytes.length + 1);
    HEAPU8.set(bytes, pointer);
    _brimalox_set_text(i + 1, pointer, bytes.length);
    _free(pointer);
  }
  _brimalox_set_option(1, options[0] ? 1 : 0);
  _brimalox_set_option(2, options[1] ? 1 : 0);
}

Module['press'] = function (button, texts, options) {
  var name = /^Command([1-7])$/.exec(String(button));
  var number = typeof button === 'number' ? button : name ? Number(name[1]) : 0;
  if (!(number >= 1 && number <= 7)) throw new RangeError('no button ' + button);
  brimaloxHandOver(texts, options);
  var ok = _brimalox_press(number) === 1;
  var shown = _brimalox_shown_window();
  return {
    texts: brimaloxTexts(),
    ok: ok,
    family: ok ? null : brimaloxCString(_brimalox_failure_family()),
    kind: ok ? null : brimaloxCString(_brimalox_failure_kind()),
    message: ok ? null : brimaloxCString(_brimalox_failure_message()),
    window: shown === 1 ? 'notes' : shown === 2 ? 'website' : null
  };
};

// The text as UTF-8 in the module's memory, NUL-terminated, for the length of call(pointer, length).
function brimaloxWithBytes(text, call) {
  var bytes = brimaloxEncoder.encode(String(text));
  var pointer = _malloc(bytes.length + 1);
  HEAPU8.set(bytes, pointer);
  HEAPU8[pointer + bytes.length] = 0;
  try {
    return call(pointer, bytes.length);
  } finally {
    _free(pointer);
  }
}

var brimaloxUnits = {awg: 1, inch: 2, mm: 3};

// core.design({frequency, sides, unit, conductor}, texts, options): the design road (app/road.h) on
// the window as those texts and options show it: the frequency typed, ACCEPT, the conductor typed
// into the field of unit ('awg', 'inch', 'mm' or null) and its CHANGE, the option of sides (3, 4,
// anything else: neither), COMPUTE, up to the first click that fails. Returns {texts, options, ok,
// failed: the failing button's id or null, family, kind, message, recommendedMm: ACCEPT's proposal}.
Module['design'] = function (design, texts, options) {
  brimaloxHandOver(texts, options);
  var failed = brimaloxWithBytes(design.frequency, function (frequency, frequencyLength) {
    return brimaloxWithBytes(design.conductor || '', function (conductor, conductorLength) {
      return _brimalox_design(frequency, frequencyLength, Number(design.sides), brimaloxUnits[design.unit] || 0,
                              conductor, conductorLength);
    });
  });
  var ok = failed === 0;
  return {
    texts: brimaloxTexts(),
    options: [_brimalox_option(1) === 1, _brimalox_option(2) === 1],
    ok: ok,
    failed: ok ? null : 'Command' + failed,
    family: ok ? null : brimaloxCString(_brimalox_failure_family()),
    kind: ok ? null : brimaloxCString(_brimalox_failure_kind()),
    message: ok ? null : brimaloxCString(_brimalox_failure_message()),
    recommendedMm: brimaloxCString(_brimalox_design_recommended_mm())
  };
};

// core.valueFields(): the window's value fields in its order, as the core's design record declares
// them: [{field: 'Text13', key: 'height_mm', caption: 'HEIGHT', unit: 'mm', change: null}, ...]; a
// conductor's field names the CHANGE below it (change: 'Command1').
Module['valueFields'] = function () {
  return brimaloxCString(_brimalox_value_fields()).split('\n').filter(Boolean).map(function (line) {
    var parts = line.split('\t');
    return {field: 'Text' + parts[0], key: parts[1], caption: parts[2], unit: parts[3], change: parts[4] || null};
  });
};

// core.sheet(texts, options, paper, date, model, remark, extra): the build sheet of the window as those
// texts and options show it, on 'a4' or 'letter' paper, dated date (YYYY-MM-DD), with a model check's
// figures when model holds them (the check's sheetModel: {designMhz, swrAtDesign, lowestSwr,
// lowestSwrMhz, belowTwo: [{from_mhz, to_mhz, open_below, open_above}...], maxGainDbi, takeoffDeg,
// z0Ohms, ground, heightMetres, plane, reversedSwr, feed}). remark: a text said below the model check
// (a trim's). extra: {allowance (the joint allowance as typed), built: {heightMm, sideMm, gapMm} of a
// trimmed design's built antenna or null}. Returns {ok, svg, csv, json, stem} (the sheet, its cut list and
// the whole sheet, as brimalox-cli sheet --format svg, csv and json write them, and the start of
// their files' names, "146MHz-3sided") or {ok: false,
// message} saying why there is none. Clicks nothing: the module's texts become these, as for press.
Module['sheet'] = function (texts, options, paper, date, model, remark, extra) {
  if (texts.length !== 24) throw new RangeError('24 field texts expected, got ' + texts.length);
  extra = extra || {};
  // As UTF-8 would carry them, a lone surrogate replaced (JSON would escape it, and the module refuse it).
  function utf8(text) { return brimaloxDecoder.decode(brimaloxEncoder.encode(String(text))); }
  var request = {
    texts: texts.map(utf8), options: [!!options[0], !!options[1]], paper: paper === 'letter' ? 'letter' : 'a4',
    date: utf8(date), model: model || null, remark: utf8(remark || ''), allowance: utf8(extra.allowance || ''),
    built: extra.built || null, feed: model && model.feed || null
  };
  var out = JSON.parse(brimaloxWithBytes(JSON.stringify(request), function (pointer) {
    return brimaloxCString(_brimalox_sheet(pointer));
  }));
  return out.ok ? {ok: true, svg: out.svg, csv: out.csv, json: out.json, stem: out.stem}
                : {ok: false, message: out.message};
};
