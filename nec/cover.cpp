#include "nec/cover.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "app/buttons.h"
#include "nec/error.h"
#include "nec/output_parser.h"
#include "nec/simulation.h"
#include "numtext/numtext.h"
#include "numtext/split_text.h"
#include "wiresize/gauge_table.h"

namespace brimalox::nec {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kBandPointSpacing = 0.005;  // of the band's middle
constexpr double kCoarseSpacing = 0.04;      // of the first guess, between coarse candidates
constexpr int kCoarseEachSide = 2;
constexpr double kWidestSearch = 2.5;  // the search never strays further than this factor from its guess
constexpr std::size_t kRefined = 3;    // conductors refined after the coarse scan
constexpr std::size_t kRanked = 5;     // the winner and the next best

std::string trimmed(const std::string& text) {
    const auto a = text.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return text.substr(a, text.find_last_not_of(" \t") - a + 1);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts = splitText(text, separator);
    for (std::string& part : parts)
        part = trimmed(part);
    return parts;
}

Band readBand(const std::string& text, const CoverNames& n) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        throw Refused(n.band + " needs FROM:TO in MHz, such as 144:148, not \"" + text + "\"");
    Band band;
    band.fromMhz = positiveSetting(trimmed(text.substr(0, colon)), n.band + " " + text + "'s FROM");
    band.toMhz = positiveSetting(trimmed(text.substr(colon + 1)), n.band + " " + text + "'s TO");
    if (band.toMhz == band.fromMhz)
        throw Refused(n.band + " " + text + " is empty: it starts and ends at " + numberText(band.fromMhz) +
                      " MHz; give FROM below TO");
    if (band.toMhz < band.fromMhz)
        throw Refused(n.band + " " + text + " is given backwards: TO " + numberText(band.toMhz) +
                      " MHz is below FROM " + numberText(band.fromMhz) + " MHz");
    return band;
}

std::vector<Conductor> readConductors(const std::string& text, const CoverNames& n) {
    std::vector<Conductor> conductors;
    if (trimmed(text).empty())
        throw Refused(n.conductors + " allows no conductor: give recommended, gauges or tube diameters in mm");
    for (const std::string& item : split(text, ',')) {
        if (item == "recommended") {
            conductors.push_back({{ConductorUnit::None, ""}, "the recommended minimum", 0});
        } else if (item == "gauges") {
            for (const GaugeRow& row : kGaugeTable)
                conductors.push_back(
                    {{ConductorUnit::Awg, std::to_string(row.code)}, "AWG " + gaugeName(row.code), row.inches});
        } else if (item.empty()) {
            throw Refused(n.conductors + " " + text +
                          " has an empty item: give recommended, gauges or tube diameters in mm, separated by commas");
        } else {
            const Parsed<double> parsed = parseDouble(item);
            if (!parsed.ok())
                throw Refused(n.conductors + " \"" + item +
                              "\" is neither recommended, gauges nor a tube diameter in mm");
            positiveSetting(item, n.conductors + " tube diameter");
            conductors.push_back({{ConductorUnit::Millimetre, item}, item + " mm", 0});
        }
    }
    return conductors;
}

// A round step near a thousandth of f: what a user would type to that many digits.
double roundStep(double mhz) { return std::pow(10.0, std::floor(std::log10(mhz / 1000))); }

std::string frequencyText(double mhz, double grid) {
    const int decimals = std::max(0, static_cast<int>(std::lround(-std::log10(grid))));
    std::string text = fixedText(mhz, decimals);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

// One candidate made ready: its deck, or why the model cannot answer for it.
struct Prepared1 {
    Candidate candidate;
    std::optional<PreparedDeck> deck;
    std::optional<Feed> feed;  // with the candidate's own series match length
    std::string refusal;
    double conductorMm = 0;  // once the design is made
    bool beyondNec = false;  // CannotModel: the conductor is too thick for this design
};

Prepared1 prepareCandidate(const CoverPlan& plan, const Conductor& conductor, double mhz) {
    Prepared1 p;
    p.candidate.design.frequencyText = frequencyText(mhz, plan.gridMhz);
    p.candidate.design.sides = plan.sides;
    p.candidate.design.conductor = conductor.choice;
    p.candidate.conductor = conductor.label;
    const DesignResult result = runDesign(p.candidate.design);
    if (result.failure) {
        p.refusal = result.failure->message();
        return p;
    }
    if (conductor.gaugeInches > 0) {
        const Parsed<double> recommended = parseDouble(result.recommendedInch);
        if (recommended.ok() && conductor.gaugeInches < recommended.value) {
            p.refusal = conductor.label + " is thinner than the recommended minimum";
            return p;
        }
    }
    try {
        const DesignTexts texts = designTexts(result, plan.sides);
        SimulationSetup setup;
        setup.geometry = geometryFromTexts(texts);
        p.conductorMm = setup.geometry.conductorMm;
        setup.ground = readGround(plan.model, plan.names);
        setup.coat =
            readCoat(plan.model.insulation, plan.names.insulation, setup.geometry.conductorMm, setup.geometry.gapMm);
        setup.sweep = bandSweep(plan.bands.front());
        for (std::size_t i = 1; i < plan.bands.size(); ++i)
            setup.moreSweeps.push_back(bandSweep(plan.bands[i]));
        setup.comments = deckComments(texts);
        p.deck = prepareDeck(setup, plan.names);
        p.feed = readFeed(plan.model.feed, plan.names, plan.sides, matchLengthMm(texts), plan.z0);
    } catch (const CannotModel& e) {
        p.refusal = e.what();
        p.beyondNec = true;
    } catch (const std::exception& e) {
        p.refusal = e.what();
    }
    return p;
}

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
        std::vector<Prepared1> decks;
        for (const auto& point : points) {
            if (known_.count(point) || std::find(todo.begin(), todo.end(), point) != todo.end()) continue;
            Prepared1 p = prepareCandidate(plan_, plan_.conductors[point.first], mhzAt(point.second));
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
                const Prepared1 p = prepareCandidate(plan, plan.conductors[c], search.mhzAt(mid));
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

// The widest ratio of frequencies one design of these forms keeps under 2:1 is about 1.7, with the
// thickest conductors the model runs near 146 MHz (an 8 mm tube: 142.9 to 234.8 MHz; AWG 00 at
// 144.1 MHz: 141.9 to 237.1 MHz, swept from 100 to 460 MHz); bands further apart than twice their
// bottom need an antenna each, whatever the conductor.
constexpr double kOneDesignSpan = 2;

std::optional<FarApart> farApartBands(const CoverPlan& plan, const Result& closest) {
    FarApart far;
    far.span = plan.bands.back().toMhz / plan.bands.front().fromMhz;
    if (far.span <= kOneDesignSpan) return std::nullopt;
    for (const Below2& stretch : stretchesBelow(closest.analysis.rows, plan.maxSwr))
        if (stretch.fromMhz > 0 && stretch.toMhz / stretch.fromMhz > far.covered) {
            far.covered = stretch.toMhz / stretch.fromMhz;
            far.fromMhz = stretch.fromMhz;
            far.toMhz = stretch.toMhz;
        }
    return far;
}

// Tube diameters in mm a search that found no fit may suggest, as a shop sells them.
constexpr double kTubesMm[] = {6, 8, 10, 12, 16, 20, 25};

// Conductors thicker than any the search tried, that the model can answer for at the closest
// design's frequency: "gauges" where no gauge was tried and one is thicker, then tube diameters.
std::vector<std::string> thickerConductors(const CoverPlan& plan, const Candidate& closest) {
    const double mhz = parseDouble(closest.design.frequencyText).value;
    double thickest = 0;
    bool gauges = false;
    for (const Conductor& c : plan.conductors) {
        gauges = gauges || c.choice.unit == ConductorUnit::Awg;
        const Prepared1 p = prepareCandidate(plan, c, mhz);
        const double typedMm = c.choice.unit == ConductorUnit::Millimetre ? parseDouble(c.choice.text).value
                               : c.choice.unit == ConductorUnit::Awg      ? c.gaugeInches * 25.4
                                                                          : 0;
        thickest = std::max({thickest, p.conductorMm, typedMm});
    }
    std::vector<std::string> thicker;
    if (!gauges)
        for (const GaugeRow& row : kGaugeTable)
            if (row.inches * 25.4 > thickest &&
                prepareCandidate(plan, {{ConductorUnit::Awg, std::to_string(row.code)}, "", row.inches}, mhz).deck) {
                thicker.push_back("gauges");
                break;
            }
    for (double mm : kTubesMm)
        if (mm > thickest && prepareCandidate(plan, {{ConductorUnit::Millimetre, numberText(mm)}, "", 0}, mhz).deck)
            thicker.push_back(numberText(mm));
    return thicker;
}

}  // namespace

std::string thickerAdvice(const CoverResult& result) {
    if (result.covered() || result.ranked.empty() || result.stopped) return {};
    if (const auto& far = result.farApart) {
        const std::string allowed = numberText(result.plan.maxSwr) + ":1";
        const std::string covered = far->covered > 0
                                        ? "one design covers about " + fixedText(far->covered, 2) +
                                              " times (the closest keeps under " + allowed + " from " +
                                              mhzFigure(far->fromMhz) + " to " + mhzFigure(far->toMhz) + " MHz)"
                                        : "the closest design is under " + allowed + " nowhere";
        return "The bands are too far apart for one antenna: their frequencies span " + fixedText(far->span, 2) +
               " times (" + numberText(result.plan.bands.front().fromMhz) + " to " +
               numberText(result.plan.bands.back().toMhz) + " MHz), and " + covered +
               "; no conductor bridges that. Build an antenna for each band, or search for fewer bands.";
    }
    if (result.thicker.empty())
        return "No thicker conductor is within NEC-2's limits at " + result.ranked.front().design.frequencyText +
               " MHz: search for fewer bands or allow a higher SWR.";
    std::string items;
    for (const std::string& item : result.thicker)
        items += (items.empty() ? "" : ", ") + item;
    const bool tubes = result.thicker.back() != "gauges";
    return "Thicker conductors widen the band: add " + items + " to the conductors" +
           (tubes ? " (the numbers are tube diameters in mm)" : "") + " and search again, or search for fewer bands.";
}

Sweep bandSweep(const Band& band) {
    const double middle = (band.fromMhz + band.toMhz) / 2;
    const int intervals =
        std::max(1, static_cast<int>(std::ceil((band.toMhz - band.fromMhz) / (middle * kBandPointSpacing) - 1e-9)));
    return {band.fromMhz, (band.toMhz - band.fromMhz) / intervals, intervals + 1};
}

CoverPlan planCover(const CoverRequest& request) {
    const CoverNames& n = request.names;
    CoverPlan plan;
    plan.sides = request.sides;
    plan.names = n;
    plan.model = request.settings.model;
    if (request.settings.bands.empty()) throw Refused("give at least one " + n.band + " FROM:TO in MHz");
    for (const std::string& text : request.settings.bands)
        plan.bands.push_back(readBand(text, n));
    std::sort(plan.bands.begin(), plan.bands.end(), [](const Band& a, const Band& b) { return a.fromMhz < b.fromMhz; });
    for (std::size_t i = 1; i < plan.bands.size(); ++i)
        if (plan.bands[i].fromMhz <= plan.bands[i - 1].toMhz)
            throw Refused(n.band + " " + numberText(plan.bands[i].fromMhz) + ":" + numberText(plan.bands[i].toMhz) +
                          " overlaps " + numberText(plan.bands[i - 1].fromMhz) + ":" +
                          numberText(plan.bands[i - 1].toMhz) + ": give one band for both");
    plan.maxSwr = positiveSetting(request.settings.maxSwr, n.maxSwr);
    if (plan.maxSwr < 1)
        throw Refused(n.maxSwr + " " + request.settings.maxSwr + " is below 1, the lowest SWR there is");
    plan.z0 = positiveSetting(plan.model.z0, n.z0);
    readGround(plan.model, n);
    readFeed(plan.model.feed, n, plan.sides, 1, plan.z0);  // refused before the first run
    readCoat(plan.model.insulation, n.insulation, 0, std::numeric_limits<double>::infinity());  // each gap: its own
    plan.conductors = readConductors(request.settings.conductors, n);

    const double low = plan.bands.front().fromMhz, high = plan.bands.back().toMhz;
    int points = 0;
    for (const Band& band : plan.bands)
        points += bandSweep(band).count;
    if (points > kMaxSweepPoints)
        throw Refused("the " + n.band + "s make " + std::to_string(points) + " points; a run takes at most " +
                      std::to_string(kMaxSweepPoints));
    plan.gridMhz = request.gridMhz > 0 ? request.gridMhz : roundStep(std::sqrt(low * high));
    plan.searchFromMhz = request.searchFromMhz;
    plan.searchToMhz = request.searchToMhz;
    if (plan.searchFromMhz > 0 && plan.searchToMhz < plan.searchFromMhz)
        throw Refused("the search's design frequencies end below where they start");

    // A band the model cannot run at (a design there fails in the window, or the deck cannot be
    // made) is refused before any run, with the reason.
    for (const Band& band : plan.bands) {
        CoverPlan one = plan;
        one.bands = {band};
        one.gridMhz = roundStep(band.fromMhz);
        const Prepared1 p = prepareCandidate(one, {{ConductorUnit::None, ""}, "the recommended minimum", 0},
                                             (band.fromMhz + band.toMhz) / 2);
        if (!p.deck && !p.beyondNec)
            throw Refused(n.band + " " + numberText(band.fromMhz) + ":" + numberText(band.toMhz) +
                          " is outside what the model can run: " + p.refusal);
    }
    return plan;
}

Request winnerRequest(const CoverPlan& plan, const DesignRequest& design) {
    Request request;
    request.design = design;
    request.settings = plan.model;
    request.names = plan.names;
    const Parsed<double> typed = parseDouble(design.frequencyText);
    const double f = typed.ok() ? typed.value : plan.bands.front().fromMhz;
    const Sweep standard = defaultSweep(f);
    const double from = std::min(standard.fromMhz, plan.bands.front().fromMhz);
    // A step past the highest band when it lies above the standard sweep, so its top is inside.
    const double top = plan.bands.back().toMhz;
    const double to = top > standard.toMhz() ? top + standard.stepMhz : standard.toMhz();
    request.settings.from = exactText(from);
    request.settings.to = exactText(to);
    request.settings.step = exactText(standard.stepMhz);
    request.settings.patternAt.clear();
    request.settings.heights.clear();
    for (const Band& band : plan.bands)
        request.settings.patternAt.push_back(exactText((band.fromMhz + band.toMhz) / 2));
    return request;
}

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
