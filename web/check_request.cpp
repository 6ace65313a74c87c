#include "web/check_request.h"

#include <string>

#include "app/road.h"
#include "nec/nec.h"
#include "numtext/fields.h"

namespace brimalox::web {

using nlohmann::json;

std::string jsonText(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

nec::FeedSettings feedSettingsOf(const json& settings) {
    nec::FeedSettings feed;
    const auto f = settings.find("feed");
    if (f == settings.end() || !f->is_object()) return feed;
    feed.line = jsonText(*f, "line");
    feed.loss = jsonText(*f, "loss");
    feed.section = jsonText(*f, "section");
    feed.balun = jsonText(*f, "balun");
    feed.coax = jsonText(*f, "coax");
    feed.rigZ0 = jsonText(*f, "rigZ0");
    feed.at = jsonText(*f, "at");
    return feed;
}

const char* unitName(ConductorUnit unit) {
    switch (unit) {
    case ConductorUnit::Awg: return "awg";
    case ConductorUnit::Inch: return "inch";
    case ConductorUnit::Millimetre: return "mm";
    case ConductorUnit::None: break;
    }
    return "recommended";
}

ConductorUnit unitNamed(std::string_view word) {
    for (ConductorUnit unit : {ConductorUnit::Awg, ConductorUnit::Inch, ConductorUnit::Millimetre})
        if (word == unitName(unit)) return unit;
    return ConductorUnit::None;
}

nec::Request checkRequestOf(const json& in) {
    nec::Request request;
    const json& fields = in.at("fields");
    DesignTexts d;
    d.sides = in.value("sides", 0);
    for (const ValueField& value : kValueFields)
        d.*value.text = jsonText(fields, std::string(fieldInfo(value.field).name).c_str());
    request.shown = d;
    const json& s = in.at("settings");
    nec::Settings& settings = request.settings;
    settings.z0 = jsonText(s, "z0");
    settings.from = jsonText(s, "from");
    settings.to = jsonText(s, "to");
    settings.step = jsonText(s, "step");
    settings.ground = jsonText(s, "ground");
    settings.groundConstants = jsonText(s, "groundConstants");
    settings.height = jsonText(s, "height");
    settings.heights = jsonText(s, "heights");
    settings.feed = feedSettingsOf(s);
    settings.insulation = jsonText(s, "insulation");
    if (const auto at = s.find("patternAt"); at != s.end() && at->is_array())
        for (const json& mhz : *at)
            if (mhz.is_string()) settings.patternAt.push_back(mhz.get<std::string>());
    if (const auto m = in.find("measured"); m != in.end() && m->is_object())
        request.measured = nec::Measured{jsonText(*m, "name"), nec::readTouchstone(jsonText(*m, "text"))};
    return request;
}

}  // namespace brimalox::web
