#pragma once
// Reads a deck's cards back for the tests, independently of the code that wrote them, and a stored
// file's text.

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace brimalox::nec::test {

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct DeckWire {
    int tag = 0, segments = 0;
    std::array<double, 3> a{}, b{};
    double radius = 0;
    double length() const { return std::hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]); }
    double segment() const { return length() / segments; }
};

struct DeckCards {
    std::vector<std::string> comments;
    std::vector<DeckWire> wires;
    std::vector<std::array<int, 2>> sources;    // tag, segment
    std::vector<std::array<double, 3>> sweeps;  // FR: count, start, step
    int patterns = 0;                           // RP cards
    std::vector<std::array<double, 5>> loads;   // LD: type, tag, from, to, inductance
    std::vector<std::string> order;             // card names in order
};

inline DeckCards readDeck(const std::string& deck) {
    DeckCards cards;
    std::istringstream lines(deck);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string name;
        in >> name;
        cards.order.push_back(name);
        if (name == "CM") {
            cards.comments.push_back(line.size() > 3 ? line.substr(3) : "");
        } else if (name == "GW") {
            DeckWire w;
            in >> w.tag >> w.segments >> w.a[0] >> w.a[1] >> w.a[2] >> w.b[0] >> w.b[1] >> w.b[2] >> w.radius;
            cards.wires.push_back(w);
        } else if (name == "GS") {  // scales every wire before it
            int i1 = 0, i2 = 0;
            double scale = 1;
            in >> i1 >> i2 >> scale;
            for (DeckWire& w : cards.wires) {
                for (auto* p : {&w.a, &w.b})
                    for (double& v : *p)
                        v *= scale;
                w.radius *= scale;
            }
        } else if (name == "EX") {
            int type = 0, tag = 0, segment = 0;
            in >> type >> tag >> segment;
            cards.sources.push_back({tag, segment});
        } else if (name == "FR") {
            int type = 0, count = 0, i3 = 0, i4 = 0;
            double start = 0, step = 0;
            in >> type >> count >> i3 >> i4 >> start >> step;
            cards.sweeps.push_back({static_cast<double>(count), start, step});
        } else if (name == "LD") {
            std::array<double, 5> load{};
            double resistance = 0;
            in >> load[0] >> load[1] >> load[2] >> load[3] >> resistance >> load[4];
            cards.loads.push_back(load);
        } else if (name == "RP") {
            ++cards.patterns;
        }
    }
    return cards;
}

}  // namespace brimalox::nec::test
