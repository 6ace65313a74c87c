#pragma once
// The NEC-2 model of a design, for every front-end, through one include: a request in (the design as
// the window makes it, the settings as typed) and a result out, for the check (simulate), the trim
// from a measurement (trim) and the search for the design that covers given bands (cover), each run
// on an engine the front-end brings (the command line's is in nec/native/, the page's in web/engine/).

#include "nec/check.h"
#include "nec/cover.h"
#include "nec/engine.h"
#include "nec/error.h"
#include "nec/request.h"
#include "nec/sweep_parts.h"
#include "nec/touchstone.h"
#include "nec/trim.h"
