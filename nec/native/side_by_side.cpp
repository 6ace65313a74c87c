// The model's runs on threads, one engine each: the command line's and the window's way of running
// them side by side. Apart from the model's code so that a build without threads (the page's) leaves
// it out.

#include "nec/native/side_by_side.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

#include "nec/sweep_parts.h"

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

int coreCount() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

CoverResult cover(const CoverPlan& plan, const EngineMaker& engines, int jobs, const CoverProgress& progress) {
    return cover(plan, engines, jobs, onThreads, progress);
}

Result runSideBySide(const Prepared& prepared, const EngineMaker& engines, int jobs, const CheckProgress& progress) {
    const std::vector<std::string> decks = checkParts(prepared, jobs);
    const std::unique_ptr<Engine> engine = engines();
    if (decks.size() < 2) return run(prepared, *engine, progress);
    std::vector<std::string> outputs(decks.size());
    std::vector<std::exception_ptr> faults(decks.size());
    const auto part = [&](std::size_t k, Engine& on) {
        try {
            outputs[k] = on.run(decks[k], {});
        } catch (...) {
            faults[k] = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t k = 0; k + 1 < decks.size(); ++k)
        threads.emplace_back([&, k] {
            try {
                part(k, *engines());
            } catch (...) {  // the engine could not be made
                faults[k] = std::current_exception();
            }
        });
    part(decks.size() - 1, *engine);  // the last, with the patterns, on this thread
    for (std::thread& t : threads)
        t.join();
    for (const std::exception_ptr& fault : faults)
        if (fault) std::rethrow_exception(fault);
    return run(prepared, joinedOutput(outputs), *engine, progress);
}

}  // namespace brimalox::nec
