// Appended to the module after check_binding.js: the analyser's conversation (vna_binding.cpp), which
// the page's analyser script drives with the bytes Web Serial carries. Each answer is parsed JSON.

function brimaloxJsonCall(call) {
  var text = brimaloxTextCall(call);
  return function (argument) { return JSON.parse(text(argument === undefined ? '' : argument)); };
}

Module['vna'] = {
  // [{vendor, product, name}]: the analysers' USB ids.
  kinds: function () { return JSON.parse(brimaloxCString(_brimalox_vna_kinds())); },
  // The check's request (JSON text) in: {ok, startHz, stopHz, points, step: {send (hex), waitMs, done}}.
  begin: brimaloxJsonCall(_brimalox_vna_begin),
  // The bytes read, as hex: the next step.
  received: brimaloxJsonCall(_brimalox_vna_received),
  // Nothing more came within the step's wait: the next step, or why the sweep ended.
  silence: function () { return JSON.parse(brimaloxCString(_brimalox_vna_silence())); },
  // The time the sweep was taken in: {ok, analyser, points, fromHz, toHz, touchstone}.
  sweep: brimaloxJsonCall(_brimalox_vna_sweep)
};
