#pragma once
// The model's runs side by side on threads, one engine each: the command line's and the window's way
// (the page's worker shares them among its helper workers).

#include "nec/check.h"
#include "nec/cover.h"

namespace brimalox::nec {

// The machine's cores, at least 1: how many runs go side by side unless told.
int coreCount();

// The search for the design that covers given bands, its candidates on `jobs` threads.
CoverResult cover(const CoverPlan& plan, const EngineMaker& engines, int jobs, const CoverProgress& progress = {});

// The check with its sweep in parts (checkParts) on `jobs` engines at once: the same result as run()'s
// on one. A part's fault is thrown once every part has ended.
Result runSideBySide(const Prepared& prepared, const EngineMaker& engines, int jobs,
                     const CheckProgress& progress = {});

}  // namespace brimalox::nec
