// The model's runs on threads, one engine each: the command line's and the window's way of running
// them side by side. Apart from the model's code so that a build without threads (the page's) leaves
// it out.

#include "nec/native/side_by_side.h"

#include <algorithm>
#include <atomic>
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

namespace {

// The runs of a check that need nothing of its sweep's output (the kernel's two, the feed's one
// gap driven), answered from what ran beside the sweep; any other deck goes to the engine beneath.
// A fault of a run beside is thrown where the check asks for that deck, as a run in turn would.
class RunBeside : public Engine {
public:
    RunBeside(Engine& engine, std::vector<std::string> decks, std::vector<std::string> outputs,
              std::vector<std::exception_ptr> faults)
        : engine_(engine), decks_(std::move(decks)), outputs_(std::move(outputs)), faults_(std::move(faults)) {}
    std::string run(const std::string& deck, const FrequenciesDone& progress) override {
        for (std::size_t i = 0; i < decks_.size(); ++i)
            if (decks_[i] == deck) {
                if (faults_[i]) std::rethrow_exception(faults_[i]);
                return outputs_[i];
            }
        return engine_.run(deck, progress);
    }

private:
    Engine& engine_;
    std::vector<std::string> decks_, outputs_;
    std::vector<std::exception_ptr> faults_;
};

}  // namespace

Result runSideBySide(const Prepared& prepared, const EngineMaker& engines, int jobs, const CheckProgress& progress) {
    std::vector<std::string> decks = checkParts(prepared, jobs);
    const std::unique_ptr<Engine> engine = engines();
    if (decks.size() < 2) return run(prepared, *engine, progress);
    const std::size_t parts = decks.size();
    for (const std::string& kernel : prepared.deck.kernelDecks)
        decks.push_back(kernel);
    if (prepared.feed) decks.push_back(oneGapDeck(prepared.deck.deck, prepared.setup.geometry.designMhz));
    // The parts first, the last (with the patterns) on this thread; the short runs after them on
    // whichever engine is free first.
    std::vector<std::string> outputs(decks.size());
    std::vector<std::exception_ptr> faults(decks.size());
    std::atomic<std::size_t> next{1};  // the jobs after the parts, in turn from parts - 1 + 1
    const auto work = [&](Engine* on, std::size_t first) {
        std::unique_ptr<Engine> own;
        for (std::size_t k = first; k < decks.size(); k = parts - 1 + next++) {
            try {
                if (!on) on = (own = engines()).get();
                outputs[k] = on->run(decks[k], {});
            } catch (...) {
                faults[k] = std::current_exception();
            }
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t k = 0; k + 1 < parts; ++k)
        threads.emplace_back(work, nullptr, k);
    work(engine.get(), parts - 1);
    for (std::thread& t : threads)
        t.join();
    for (std::size_t k = 0; k < parts; ++k)
        if (faults[k]) std::rethrow_exception(faults[k]);
    std::vector<std::string> partOutputs(outputs.begin(), outputs.begin() + static_cast<long>(parts));
    RunBeside beside(*engine, std::vector<std::string>(decks.begin() + static_cast<long>(parts), decks.end()),
                     std::vector<std::string>(outputs.begin() + static_cast<long>(parts), outputs.end()),
                     std::vector<std::exception_ptr>(faults.begin() + static_cast<long>(parts), faults.end()));
    return run(prepared, joinedOutput(partOutputs), beside, progress);
}

}  // namespace brimalox::nec
