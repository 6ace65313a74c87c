// Appended to the model check's module (emcc --post-js), which runs in the check's worker.

var brimaloxEncoder = new TextEncoder();
var brimaloxDecoder = new TextDecoder();

function brimaloxCString(pointer) {
  return brimaloxDecoder.decode(HEAPU8.subarray(pointer, HEAPU8.indexOf(0, pointer)));
}

function brimaloxWithText(text, call) {
  var bytes = brimaloxEncoder.encode(String(text));
  var pointer = _malloc(bytes.length + 1);
  HEAPU8.set(bytes, pointer);
  HEAPU8[pointer + bytes.length] = 0;
  try {
    return call(pointer);
  } finally {
    _free(pointer);
  }
}

// The model check (Module.necRun runs the engine for each deck): the request as
// JSON in, the result as JSON text out (see check_binding.cpp).
Module['check'] = function (requestJson) {
  return brimaloxWithText(requestJson, function (pointer) { return brimaloxCString(_brimalox_check(pointer)); });
};

// What is wrong with a Touchstone file's text ("line 4: ..."), or '' when it reads.
Module['touchstoneProblem'] = function (text) {
  return brimaloxWithText(text, function (pointer) { return brimaloxCString(_brimalox_touchstone_problem(pointer)); });
};

// The deck a check of the request runs first (its sweep and patterns), "" for a request it refuses.
Module['checkDeck'] = function (requestJson) {
  return brimaloxWithText(requestJson, function (pointer) { return brimaloxCString(_brimalox_check_deck(pointer)); });
};

// The trim of a built antenna: the check's request with its measurement as JSON in, the result as
// JSON text out (see check_binding.cpp).
Module['trim'] = function (requestJson) {
  return brimaloxWithText(requestJson, function (pointer) { return brimaloxCString(_brimalox_trim(pointer)); });
};

// What the search would take at most: the request as JSON in, {"ok", "runs", "frequencies"} as JSON
// text out (see check_binding.cpp).
Module['coverPlan'] = function (requestJson) {
  return brimaloxWithText(requestJson, function (pointer) { return brimaloxCString(_brimalox_cover_plan(pointer)); });
};

// The search of the design that covers given bands (Module.onCoverProgress(runs, planned, best) told after
// each run): the request as JSON in, the result as JSON text out (see check_binding.cpp).
Module['cover'] = function (requestJson) {
  return brimaloxWithText(requestJson, function (pointer) { return brimaloxCString(_brimalox_cover(pointer)); });
};
