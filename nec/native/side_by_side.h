#pragma once
// The search for the design that covers given bands, its candidates on `jobs` threads: the
// command line's way (the page has no threads and runs them one at a time).

#include "nec/cover.h"

namespace brimalox::nec {

CoverResult cover(const CoverPlan& plan, const EngineMaker& engines, int jobs, const CoverProgress& progress = {});

}  // namespace brimalox::nec
