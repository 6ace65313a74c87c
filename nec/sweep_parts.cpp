#include "nec/sweep_parts.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "nec/error.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"
#include "numtext/split_text.h"

namespace brimalox::nec {
namespace {

constexpr std::string_view kFrequencyMark = "--------- FREQUENCY --------";

std::vector<std::string_view> cardFields(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t from = line.find_first_not_of(" \t\r", at);
        if (from == std::string_view::npos) break;
        const std::size_t to = std::min(line.find_first_of(" \t\r", from), line.size());
        out.push_back(line.substr(from, to - from));
        at = to;
    }
    return out;
}

// A card's field as a number, NaN when it is missing or no number.
double cardNumber(const std::vector<std::string_view>& card, std::size_t i) {
    if (i >= card.size()) return NAN;
    const Parsed<double> parsed = parseDouble(card[i]);
    return parsed.ok() ? parsed.value : NAN;
}

// What the last part runs after the sweep (the patterns' frequencies and their points), in the
// sweep's frequencies that take as long: each point's field is a sum over the segments, and each
// frequency's matrix is about their square. The points a frequency is worth were measured with the
// engine, one figure for each ground card: free space 22, a perfect ground 40 (its images), the
// Sommerfeld-Norton ground 6 (its frequencies are the dearer).
double patternsWeight(const std::vector<std::string>& lines, std::size_t sweepAt) {
    double segments = 0, solved = 0, points = 0, pointsPerFrequency = 22;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string_view> card = cardFields(lines[i]);
        if (card.empty()) continue;
        if (card[0] == "GW") segments += cardNumber(card, 2);
        if (card[0] == "GN" && card.size() > 1 && card[1] == "1") pointsPerFrequency = 40;
        if (card[0] == "GN" && card.size() > 1 && card[1] == "2") pointsPerFrequency = 6;
        if (i <= sweepAt + 1) continue;
        if (card[0] == "FR") solved += cardNumber(card, 2);
        if (card[0] == "RP") points += cardNumber(card, 2) * cardNumber(card, 3);
    }
    const double weight = solved + pointsPerFrequency * points / (segments * segments);
    return std::isfinite(weight) ? weight : 0;
}

}  // namespace

std::vector<std::string> sweepParts(const std::string& deck, int parts) {
    const std::vector<std::string> lines = splitText(deck, '\n');
    std::size_t at = 0;
    while (at + 1 < lines.size() && !(lines[at].starts_with("FR ") && lines[at + 1].starts_with("XQ")))
        ++at;
    if (at + 1 >= lines.size()) return {deck};
    const std::vector<std::string_view> card = cardFields(lines[at]);
    const double count = cardNumber(card, 2), from = cardNumber(card, 5), step = cardNumber(card, 6);
    if (card.size() < 7 || card[1] != "0" || !std::isfinite(from) || !std::isfinite(step) || !(count >= 4) ||
        count != std::floor(count))
        return {deck};
    const int frequencies = static_cast<int>(std::min(count, 1e6));
    parts = std::clamp(parts, 1, frequencies / 2);
    if (parts == 1) return {deck};

    const double weight = patternsWeight(lines, at);
    const int last =
        std::min<int>(frequencies - (parts - 1),
                      std::max(1.0, std::floor((frequencies + weight) / parts - weight + 0.5)));  // rounded half up
    const int rest = frequencies - last;  // the other parts' frequencies, shared evenly
    std::string head;
    for (std::size_t i = 0; i < at; ++i)
        head += lines[i] + '\n';
    std::string tail;  // the rest of the deck after the sweep, as it stands
    for (std::size_t i = at + 2; i < lines.size(); ++i)
        tail += (i > at + 2 ? "\n" : "") + lines[i];
    std::vector<std::string> decks;
    double mhz = from;
    for (int k = 0; k < parts; ++k) {
        const int n = k == parts - 1 ? last : rest / (parts - 1) + (k < rest % (parts - 1) ? 1 : 0);
        decks.push_back(head + "FR 0 " + std::to_string(n) + " 0 0 " + exactText(mhz) + " " + std::string(card[6]) +
                        "\nXQ\n" + (k == parts - 1 ? tail : std::string("EN\n")));
        for (int j = 0; j < n; ++j)
            mhz += step;
    }
    return decks;
}

std::string joinedOutput(const std::vector<std::string>& outputs) {
    std::string joined;
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        const std::string& output = outputs[k];
        const std::size_t mark = output.find(kFrequencyMark);
        if (mark == std::string::npos) throw NecError("a part of the shared sweep gave no frequency");
        std::size_t from = 0, to = output.size();
        if (k > 0) {  // from the blank lines before its first block
            from = output.rfind('\n', mark) + 1;
            while (from > 1 && output[from - 2] == '\n')
                --from;
        }
        if (k + 1 < outputs.size()) {  // up to the card that ends its sweep
            const std::size_t end = output.find("DATA CARD No:", mark);
            if (end == std::string::npos) throw NecError("a part of the shared sweep did not end");
            to = output.rfind('\n', end) + 1;
        }
        joined.append(output, from, to - from);
    }
    return joined;
}

}  // namespace brimalox::nec
