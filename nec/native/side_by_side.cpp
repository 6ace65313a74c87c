// The search's candidates on threads, one engine each: the command line's way of running them side
// by side. Apart from cover.cpp so that a build without threads (the page's) leaves it out.

#include <thread>
#include <vector>

#include "nec/native/side_by_side.h"

namespace brimalox::nec {

namespace {

void onThreads(int workers, const std::function<void()>& work) {
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
}

}  // namespace

CoverResult cover(const CoverPlan& plan, const EngineMaker& engines, int jobs, const CoverProgress& progress) {
    return cover(plan, engines, jobs, onThreads, progress);
}

}  // namespace brimalox::nec
