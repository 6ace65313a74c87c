#pragma once
// What a model check is asked for: the design as a user makes it in the window, and the check's
// settings as the user typed them. Each front-end names the settings in its own words (the command
// line by its options); the rules that read them and the words of a refusal are the same for all.

#include <optional>
#include <string>
#include <vector>

#include "app/road.h"
#include "nec/deck.h"
#include "nec/design_texts.h"
#include "nec/feed.h"
#include "nec/setting_words.h"
#include "nec/touchstone.h"

namespace brimalox::nec {

// The settings as typed; empty means the default (the sweep 0.8 to 1.4 times the design frequency
// in 1 % steps, free space, no extra pattern, no height sweep).
struct Settings {
    std::string from, to, step;
    std::string ground;           // "free", "perfect", a ground class's name, or empty
    std::string groundConstants;  // "EPSR,SIGMA" for a ground of one's own
    std::string height;           // metres, of the antenna's lowest point
    std::vector<std::string> patternAt;
    std::string z0 = "300";
    std::string heights;     // "FROM:TO:STEP" in metres
    FeedSettings feed;       // none given: the SWR at gap 1 against z0, as without a feed
    std::string insulation;  // "MM,EPSR" or "MM,NAME": the wire's coat; empty: bare wire
};

struct Measured {
    std::string name;  // the file's name, as the report shows it
    Touchstone data;
};

struct Request {
    DesignRequest design;              // the road a user takes in the window, run afresh
    std::optional<DesignTexts> shown;  // or the design as a window shows it now (the road not run)
    Settings settings;
    SettingNames names;
    std::optional<Measured> measured;
};

// A named real ground: its relative permittivity and conductivity.
struct GroundClass {
    const char* name;
    double permittivity;
    double conductivity;  // S/m
    const char* description;
};
// The classes NEC users know, with the constants of the ARRL Antenna Book's table of common
// types of earth (the same figures EZNEC and 4nec2 offer).
const std::vector<GroundClass>& groundClasses();
// One line per class for the help and the page.
std::string groundClassesText();

// Each reader throws Refused saying what is wrong with the text and what is allowed.

// The ground and its height.
Ground readGround(const Settings& settings, const SettingNames& names);
// The sweep for a design frequency (the default where nothing is typed).
Sweep readSweep(const Settings& settings, const SettingNames& names, double designMhz);
// "FROM:TO:STEP" in metres.
std::vector<double> readHeights(const std::string& text, const std::string& name);

}  // namespace brimalox::nec
