// The search for the design that covers the bands: a coarse scan of each conductor, widened where
// its best lies at an edge, then halved around the best few, and the winner's full check.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "nec/cover_parts.h"
#include "nec/error.h"
#include "nec/output_parser.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kCoarseSpacing = 0.04;  // of the first guess, between coarse candidates
constexpr int kCoarseEachSide = 2;
constexpr double kWidestSearch = 2.5;  // the search never strays further than this factor from its guess
constexpr std::size_t kRefined = 3;    // conductors refined after the coarse scan
constexpr std::size_t kRanked = 5;     // the winner and the next best

void judge(Candidate& c, const Analysis& analysis, const std::vector<Band>& bands) {
    c.bandWorst.assign(bands.size(), 0);
    std::size_t row = 0;
    for (std::size_t b = 0; b < bands.size(); ++b)
        for (int i = 0; i < bandSweep(bands[b]).count; ++i, ++row)
            c.bandWorst[b] = std::max(c.bandWorst[b], row < analysis.rows.size() ? analysis.rows[row].swr : kInf);
    c.worst = analysis.failures.empty() ? *std::max_element(c.bandWorst.begin(), c.bandWorst.end()) : kInf;
}

// Lower worst SWR first; between equals, the lower frequency, then the conductor listed first.
bool better(const Candidate& a, const Candidate& b) { return a.worst < b.worst; }

// The search's memory of every candidate tried, and the runs on several engines at once.
class Search {
public:
    Search(const CoverPlan& plan, const EngineMaker& engines, int jobs, const SideBySide& sideBySide,
           const CoverProgress& progress)
        : plan_(plan), engines_(engines), jobs_(std::max(1, jobs)), sideBySide_(sideBySide), progress_(progress) {}

    double mhzAt(long index) const { return static_cast<double>(index) * plan_.gridMhz; }
    bool stopped() const { return stopped_; }
    // The runs still to come at most: the total told with the progress is the runs done and these.
    void expect(int more) {
        const std::lock_guard lock(mutex_);
        planned_ = std::min(planned_, runs_ + more);
    }
    int planned() const { return planned_; }
    // Told once more when the search ends: the total is then the runs it took.
    void finished() {
        planned_ = runs_;
        if (progress_) progress_(runs_, planned_, best_ ? &*best_ : nullptr);
    }

    // The worst SWR of each (conductor, grid index), running the ones not yet known side by side.
    void evaluate(const std::vector<std::pair<std::size_t, long>>& points) {
        std::vector<std::pair<std::size_t, long>> todo;
        std::vector<PreparedCandidate> decks;
        for (const auto& point : points) {
            if (known_.count(point) || std::find(todo.begin(), todo.end(), point) != todo.end()) continue;
            PreparedCandidate p = prepareCandidate(plan_, plan_.conductors[point.first], mhzAt(point.second));
            if (!p.deck) {
                if (p.beyondNec) beyond_[point.first].insert(point.second);
                known_[point] = p.candidate;
                continue;
            }
            todo.push_back(point);
            decks.push_back(std::move(p));
        }
        if (todo.empty() || stopped()) return;
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            std::unique_ptr<Engine> engine;
            for (std::size_t i; !stopped() && (i = next++) < decks.size();) {
                Candidate candidate = decks[i].candidate;
                try {
                    if (!engine) engine = engines_();
                    Analysis analysis =
                        analyse(parseNecOutput(engine->run(decks[i].deck->deck, {})), plan_.z0, decks[i].deck->plan);
                    // The worst SWR where the feed's plane is.
                    if (decks[i].feed) applyFeed(analysis, *decks[i].feed, decks[i].deck->plan.designMhz);
                    judge(candidate, analysis, plan_.bands);
                } catch (const Interrupted& e) {
                    const std::lock_guard lock(mutex_);
                    interrupted_ = e.signal();
                    stopped_ = true;
                    return;
                } catch (const NecError& e) {
                    const std::lock_guard lock(mutex_);
                    failures_.push_back(candidate.design.frequencyText + " MHz, " + candidate.conductor + ": " +
                                        e.what());
                }
                const std::lock_guard lock(mutex_);
                ++runs_;
                known_[todo[i]] = candidate;
                if (std::isfinite(candidate.worst) && (!best_ || better(candidate, *best_))) best_ = candidate;
                if (progress_) progress_(runs_, planned_, best_ ? &*best_ : nullptr);
            }
        };
        sideBySide_(std::min<int>(jobs_, static_cast<int>(decks.size())), work);
    }

    double worst(std::size_t conductor, long index) const {
        const auto found = known_.find({conductor, index});
        return found == known_.end() ? kInf : found->second.worst;
    }
    bool tried(std::size_t conductor, long index) const { return known_.count({conductor, index}) > 0; }
    // Where the model could not answer for the conductor (beyond NEC-2), as grid indices.
    const std::set<long>& beyond(std::size_t conductor) { return beyond_[conductor]; }

    std::vector<Candidate> all() const {
        std::vector<Candidate> list;
        for (const auto& [point, candidate] : known_)
            if (std::isfinite(candidate.worst)) list.push_back(candidate);
        return list;
    }
    int runs() const { return runs_; }
    int interrupted() const { return interrupted_; }
    const std::vector<std::string>& failures() const { return failures_; }
    void countRun() { ++runs_; }

private:
    const CoverPlan& plan_;
    const EngineMaker& engines_;
    int jobs_;
    const SideBySide& sideBySide_;
    const CoverProgress& progress_;
    std::mutex mutex_;
    std::map<std::pair<std::size_t, long>, Candidate> known_;
    std::map<std::size_t, std::set<long>> beyond_;
    std::optional<Candidate> best_;
    std::vector<std::string> failures_;
    int runs_ = 0;
    int planned_ = std::numeric_limits<int>::max();
    std::atomic<int> interrupted_{0};
    std::atomic<bool> stopped_{false};  // by a signal or a cancel
};

// The lowest evaluated point of a conductor inside [low, high], and its evaluated neighbours.
struct Bracket {
    long low = 0, best = 0, high = 0;
};

// Where the search looks, as grid indices: inside [floor, highest], each conductor between its own
// low and high, which the coarse scan widens.
struct Scan {
    long floor = 0, highest = 0, spacing = 1;
    long step = 1;  // between the coarse scan's first points
    std::vector<long> low, high;

    long clamp(long i) const { return std::clamp(i, floor, highest); }
    // The conductor's best evaluated point, or -1 where the model answered for none.
    long best(const Search& search, std::size_t c) const {
        long found = -1;
        for (long i = low[c]; i <= high[c]; ++i)
            if (search.tried(c, i) && std::isfinite(search.worst(c, i)) &&
                (found < 0 || search.worst(c, i) < search.worst(c, found)))
                found = i;
        return found;
    }
    Bracket bracket(const Search& search, std::size_t c) const {
        Bracket b;
        b.best = best(search, c);
        b.low = b.best;
        while (b.low > low[c] && !search.tried(c, b.low - 1))
            --b.low;
        if (b.low > low[c]) --b.low;
        b.high = b.best;
        while (b.high < high[c] && !search.tried(c, b.high + 1))
            ++b.high;
        if (b.high < high[c]) ++b.high;
        return b;
    }
};

using Points = std::vector<std::pair<std::size_t, long>>;

// Widens each conductor's scan where its best lies at an edge, until none does.
void widen(Scan& s, Search& search) {
    for (bool widened = true; widened && !search.stopped();) {
        Points batch;
        for (std::size_t c = 0; c < s.low.size(); ++c) {
            const long best = s.best(search, c);
            // Nothing the model answers for yet: look further on both sides.
            const bool atLow = best < 0 || best == s.low[c], atHigh = best < 0 || best == s.high[c];
            // The gap shrinks as the design frequency rises: a conductor too thick for it is cut
            // from above, so a refused design stops the widening upwards only.
            if (atLow && s.low[c] > s.floor) {
                s.low[c] = s.clamp(s.low[c] - s.spacing);
                batch.push_back({c, s.low[c]});
            }
            if (atHigh && s.high[c] < s.highest && !search.beyond(c).count(s.high[c])) {
                s.high[c] = s.clamp(s.high[c] + s.spacing);
                batch.push_back({c, s.high[c]});
            }
        }
        widened = !batch.empty();
        if (widened) search.evaluate(batch);
    }
}

// Where the coarse scan starts: evenly around the guess (or over the limits given), each conductor
// alike.
Scan startScan(const CoverPlan& plan) {
    const double grid = plan.gridMhz;
    const std::size_t conductors = plan.conductors.size();
    const bool bounded = plan.searchFromMhz > 0;
    const long lowest = bounded ? static_cast<long>(std::ceil(plan.searchFromMhz / grid - 1e-9)) : 1;
    const long guess =
        static_cast<long>(std::lround(std::sqrt(plan.bands.front().fromMhz * plan.bands.back().toMhz) / grid));
    Scan s;
    s.highest = bounded ? static_cast<long>(std::floor(plan.searchToMhz / grid + 1e-9))
                        : static_cast<long>(std::ceil(guess * kWidestSearch));
    s.floor = bounded ? lowest : std::max(1L, static_cast<long>(guess / kWidestSearch));
    s.spacing = std::max(1L, static_cast<long>(std::lround(guess * kCoarseSpacing)));
    s.step = bounded ? std::max(1L, (s.highest - lowest) / (2 * kCoarseEachSide)) : s.spacing;
    const long centre = bounded ? (lowest + s.highest) / 2 : guess;
    s.low.resize(conductors);
    s.high.resize(conductors);
    for (std::size_t c = 0; c < conductors; ++c) {
        s.low[c] = bounded ? lowest : s.clamp(centre - kCoarseEachSide * s.spacing);
        s.high[c] = bounded ? s.highest : s.clamp(centre + kCoarseEachSide * s.spacing);
    }
    return s;
}

long stepsOver(long distance, long step) { return distance <= 0 ? 0 : (distance + step - 1) / step; }

// The rounds of halving that bring a bracket whose longer side is `side` grid steps down to one:
// each round leaves both sides of the new bracket at most half the longer one, rounded up.
int halvings(long side) {
    int rounds = 0;
    for (; side > 1; side = (side + 1) / 2)
        ++rounds;
    return rounds;
}

// The most runs the coarse scan can take: each conductor's first points, then one a spacing further
// out on either side each round of widening, no further than the search's limits.
long scanRuns(const Scan& s) {
    long runs = 0;
    for (std::size_t c = 0; c < s.low.size(); ++c)
        runs += stepsOver(s.high[c] - s.low[c], s.step) + 1 + stepsOver(s.low[c] - s.floor, s.spacing) +
                stepsOver(s.highest - s.high[c], s.spacing);
    return runs;
}

// The winner's own run and, where its deck uses the extended kernel, the two that measure it.
constexpr long kWinnerRuns = 3;

// The most runs the refinement can take before the scan: each refined conductor's points lie at
// most a spacing (or the first step) apart, and each round runs at most two points of each.
long refineRuns(const Scan& s) {
    return static_cast<long>(std::min(s.low.size(), kRefined)) * 2 * halvings(std::max(s.step, s.spacing));
}

// The coarse scan, widened on the side where the best lies at the edge, until it turns up or the
// search's limits are reached.
Scan scan(const CoverPlan& plan, Search& search) {
    Scan s = startScan(plan);
    search.expect(static_cast<int>(scanRuns(s) + refineRuns(s) + kWinnerRuns));
    Points batch;
    for (std::size_t c = 0; c < s.low.size(); ++c) {
        for (long i = s.low[c]; i < s.high[c]; i += s.step)
            batch.push_back({c, i});
        batch.push_back({c, s.high[c]});
    }
    search.evaluate(batch);
    widen(s, search);
    return s;
}

// The refinement: the conductors whose coarse best is lowest, each bracketed by the evaluated points
// either side of its best, halved on both sides each round until no grid point is left between.
void refine(const Scan& s, Search& search) {
    std::vector<std::size_t> order;
    for (std::size_t c = 0; c < s.low.size(); ++c)
        if (s.best(search, c) >= 0) order.push_back(c);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return search.worst(a, s.best(search, a)) < search.worst(b, s.best(search, b));
    });
    if (order.size() > kRefined) order.resize(kRefined);
    long most = 0;
    for (std::size_t c : order) {
        const Bracket b = s.bracket(search, c);
        most += 2 * halvings(std::max(b.best - b.low, b.high - b.best));
    }
    search.expect(static_cast<int>(most + kWinnerRuns));
    for (bool more = true; more && !search.stopped();) {
        Points batch;
        for (std::size_t c : order) {
            const Bracket b = s.bracket(search, c);
            if (b.best - b.low > 1) batch.push_back({c, (b.low + b.best) / 2});
            if (b.high - b.best > 1) batch.push_back({c, (b.best + b.high + 1) / 2});
        }
        more = !batch.empty();
        if (more) search.evaluate(batch);
    }
}

// The winner, then the best of each other conductor; with one conductor, its next best designs.
std::vector<Candidate> rank(const Search& search) {
    std::vector<Candidate> all = search.all(), ranked;
    std::stable_sort(all.begin(), all.end(), better);
    std::set<std::string> seen;
    for (const Candidate& c : all)
        if (ranked.size() < kRanked && seen.insert(c.conductor).second) ranked.push_back(c);
    for (const Candidate& c : all) {
        if (ranked.size() >= kRanked) break;
        const bool listed = std::any_of(ranked.begin(), ranked.end(), [&](const Candidate& r) {
            return r.conductor == c.conductor && r.design.frequencyText == c.design.frequencyText;
        });
        if (!listed) ranked.push_back(c);
    }
    std::stable_sort(ranked.begin(), ranked.end(), better);
    return ranked;
}

// Where NEC-2's limit cut each conductor's designs: the lowest frequency it refused above one it
// answered for, found to the grid without a run.
std::vector<std::string> limits(const CoverPlan& plan, const Scan& s, Search& search,
                                const std::vector<Candidate>& ranked) {
    std::vector<std::string> notes;
    const double grid = plan.gridMhz;
    for (std::size_t c = 0; c < plan.conductors.size(); ++c) {
        const std::set<long>& refused = search.beyond(c);
        if (refused.empty()) continue;
        long ok = -1;
        for (long i = s.low[c]; i <= s.high[c]; ++i)
            if (search.tried(c, i) && !refused.count(i) && i < *refused.begin()) ok = std::max(ok, i);
        long bad = *refused.begin();
        if (ok >= 0) {
            while (bad - ok > 1) {
                const long mid = (ok + bad) / 2;
                const PreparedCandidate p = prepareCandidate(plan, plan.conductors[c], search.mhzAt(mid));
                (p.beyondNec ? bad : ok) = mid;
            }
        }
        const std::string reason = prepareCandidate(plan, plan.conductors[c], search.mhzAt(bad)).refusal;
        std::string note = plan.conductors[c].label + ": designs from " + frequencyText(search.mhzAt(bad), grid) +
                           " MHz up are beyond NEC-2 (" + reason + ")";
        const bool winnerHere = !ranked.empty() && ranked.front().conductor == plan.conductors[c].label;
        if (winnerHere && ok >= 0 && frequencyText(search.mhzAt(ok), grid) == ranked.front().design.frequencyText)
            note += "; the best design sits at that limit, and a model beyond NEC-2 might do better";
        notes.push_back(note);
    }
    return notes;
}

}  // namespace

void oneAtATime(int, const std::function<void()>& work) { work(); }

CoverResult cover(const CoverPlan& plan, const EngineMaker& engines, int jobs, const SideBySide& sideBySide,
                  const CoverProgress& progress) {
    Search search(plan, engines, jobs, sideBySide, progress);
    const Scan scanned = scan(plan, search);
    refine(scanned, search);
    search.expect(static_cast<int>(kWinnerRuns));

    CoverResult result;
    result.plan = plan;
    result.interrupted = search.interrupted();
    result.stopped = search.stopped();
    result.failures = search.failures();
    result.ranked = rank(search);
    if (!result.ranked.empty() && !result.covered() && !search.stopped())
        result.thicker = thickerConductors(plan, result.ranked.front());
    result.limits = limits(plan, scanned, search, result.ranked);

    if (result.ranked.empty()) {
        if (search.stopped()) {
            result.runs = search.runs();
            search.finished();
            return result;
        }
        if (!result.failures.empty()) throw NecError("the model failed on every design: " + result.failures.front());
        throw NecError("the model can answer for no design of these conductors near these bands" +
                       (result.limits.empty() ? std::string() : ": " + result.limits.front()));
    }
    // The winner's full check, with its pattern at each band's middle.
    if (!search.stopped()) {
        std::unique_ptr<Engine> engine = engines();
        try {
            result.winner = simulate(winnerRequest(plan, result.ranked.front().design), *engine);
            for (int i = 0; i <= result.winner->kernelRuns; ++i)
                search.countRun();
            if (!result.covered()) result.farApart = farApartBands(plan, *result.winner);
            if (result.farApart) result.thicker.clear();  // no conductor bridges them
        } catch (const Interrupted& e) {
            result.interrupted = e.signal();
            result.stopped = true;
        }
    }
    result.runs = search.runs();
    search.finished();
    return result;
}

int plannedRuns(const CoverPlan& plan) {
    const Scan s = startScan(plan);
    return static_cast<int>(scanRuns(s) + refineRuns(s) + kWinnerRuns);
}

}  // namespace brimalox::nec
