// Appended to the module after binding.js (emcc --post-js): the model check's calls, which the
// check's worker makes, and the trim's and the search's. Each takes a text (JSON, mostly) and
// returns one (see check_binding.cpp, trim_binding.cpp and cover_binding.cpp), through binding.js's
// brimaloxTextCall.

// The model check (Module.necRun runs the engine for each deck): the request as JSON in, the result
// as JSON text out.
Module['check'] = brimaloxTextCall(_brimalox_check);
// What is wrong with a Touchstone file's text ("line 4: ..."), or '' when it reads.
Module['touchstoneProblem'] = brimaloxTextCall(_brimalox_touchstone_problem);
// The check's sweep shared among engines: {id, engines, request} in, the parts' decks (or the check's
// refusal) out; then {id, outputs} in, the check's result out (JSON texts both ways).
Module['checkParts'] = brimaloxTextCall(_brimalox_check_parts);
Module['checkJoined'] = brimaloxTextCall(_brimalox_check_joined);
// The trim of a built antenna: the check's request with its measurement as JSON in, the result as
// JSON text out.
Module['trim'] = brimaloxTextCall(_brimalox_trim);
// What the search would take at most: the request as JSON in, {"ok", "runs", "frequencies"} as JSON
// text out.
Module['coverPlan'] = brimaloxTextCall(_brimalox_cover_plan);
// The search of the design that covers given bands (Module.onCoverProgress(runs, planned, best) told
// after each run): the request as JSON in, the result as JSON text out.
Module['cover'] = brimaloxTextCall(_brimalox_cover);
// How long one model run may take before it is stopped: the command line's default.
Module['timeLimitSeconds'] = function () { return _brimalox_time_limit_seconds(); };
