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
// sheet and gives its cut list and JSON (below). Every call crosses into the module the same way:
// a JSON request in, a JSON answer out (binding.cpp).

var brimaloxEncoder = new TextEncoder();
var brimaloxDecoder = new TextDecoder();

function brimaloxCString(pointer) {
  return brimaloxDecoder.decode(HEAPU8.subarray(pointer, HEAPU8.indexOf(0, pointer)));
}

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

// A string as UTF-8 carries it: a lone surrogate, which JSON would keep escaped and the module
// refuse, becomes U+FFFD, as the encoder makes it of any text typed.
function brimaloxWellFormed(key, value) {
  return typeof value === 'string' ? brimaloxDecoder.decode(brimaloxEncoder.encode(value)) : value;
}

// A call of the module's from a C string to a C string: the text copied in for the call, the answer
// copied out.
function brimaloxTextCall(call) {
  return function (text) {
    return brimaloxWithBytes(text, function (pointer) { return brimaloxCString(call(pointer)); });
  };
}

// A call of the module's: the request as JSON in, the answer read back from JSON. A request the
// page never makes is answered {error} and thrown.
function brimaloxCall(call, request) {
  var out = JSON.parse(request === undefined ? brimaloxCString(call())
                                             : brimaloxTextCall(call)(JSON.stringify(request, brimaloxWellFormed)));
  if (out && out.error) throw new Error(out.error);
  return out;
}

Module['fieldCount'] = 24;

Module['texts'] = function () { return brimaloxCall(_brimalox_texts); };

function brimaloxWindow(texts, options) {
  if (texts.length !== 24) throw new RangeError('24 field texts expected, got ' + texts.length);
  return {texts: Array.prototype.map.call(texts, String), options: [!!options[0], !!options[1]]};
}

Module['press'] = function (button, texts, options) {
  var name = typeof button === 'number' ? 'Command' + button : String(button);
  if (!/^Command[1-7]$/.test(name)) throw new RangeError('no button ' + button);
  var request = brimaloxWindow(texts, options);
  request.button = name;
  return brimaloxCall(_brimalox_press, request);
};

// core.design({frequency, sides, unit, conductor}, texts, options): the design road (app/road.h) on
// the window as those texts and options show it: the frequency typed, ACCEPT, the conductor typed
// into the field of unit ('awg', 'inch', 'mm' or null) and its CHANGE, the option of sides (3, 4,
// anything else: neither), COMPUTE, up to the first click that fails. Returns {texts, options, ok,
// failed: the failing button's id or null, family, kind, message, recommendedMm: ACCEPT's proposal}.
Module['design'] = function (design, texts, options) {
  var request = brimaloxWindow(texts, options);
  request.design = {frequency: String(design.frequency), sides: Number(design.sides) || 0,
                    unit: design.unit || null, conductor: String(design.conductor || '')};
  return brimaloxCall(_brimalox_design, request);
};

// core.valueFields(): the window's value fields in its order, as the core's design record declares
// them: [{field: 'Text13', key: 'height_mm', caption: 'HEIGHT', unit: 'mm', change: null}, ...]; a
// conductor's field names the CHANGE below it (change: 'Command1').
Module['valueFields'] = function () { return brimaloxCall(_brimalox_value_fields); };

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
  extra = extra || {};
  var request = brimaloxWindow(texts, options);
  request.paper = paper === 'letter' ? 'letter' : 'a4';
  request.date = String(date);
  request.model = model || null;
  request.remark = String(remark || '');
  request.allowance = String(extra.allowance || '');
  request.built = extra.built || null;
  request.feed = model && model.feed || null;
  var out = brimaloxCall(_brimalox_sheet, request);
  return out.ok ? {ok: true, svg: out.svg, csv: out.csv, json: out.json, stem: out.stem}
                : {ok: false, message: out.message};
};
