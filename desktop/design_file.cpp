#include "desktop/design_file.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

namespace brimalox {
namespace {

constexpr const char* kKind = "brimalox design";

struct UnitName {
    ConductorUnit unit;
    const char* name;
};
constexpr UnitName kUnits[] = {{ConductorUnit::None, "recommended"},
                               {ConductorUnit::Millimetre, "mm"},
                               {ConductorUnit::Awg, "awg"},
                               {ConductorUnit::Inch, "inch"}};

bool gives(const DesignRequest& request, const DesignTexts& shown) {
    const DesignResult road = runDesign(request);
    if (road.failure || road.sides != shown.sides) return false;
    for (const ValueField& value : kValueFields)
        if (road.*value.text != shown.*value.text) return false;
    return true;
}

}  // namespace

QString designFileStem(const DesignTexts& design) { return QString::fromStdString(fileStem(design)); }

std::optional<DesignRequest> typedRequest(const DesignTexts& shown) {
    if (shown.sides != 3 && shown.sides != 4) return std::nullopt;
    // The recommended conductor first: a design typed with it is saved without a conductor.
    const std::string typed[] = {{}, shown.mm, shown.awg, shown.inch};
    for (std::size_t i = 0; i < std::size(kUnits); ++i) {
        const DesignRequest request{shown.frequency, shown.sides, {kUnits[i].unit, typed[i]}};
        if (gives(request, shown)) return request;
    }
    return std::nullopt;
}

QByteArray designJson(const DesignRequest& design) {
    QJsonObject json;
    json[QStringLiteral("kind")] = QString::fromLatin1(kKind);
    json[QStringLiteral("frequency")] = QString::fromStdString(design.frequencyText);
    json[QStringLiteral("sides")] = design.sides;
    for (const UnitName& unit : kUnits)
        if (unit.unit == design.conductor.unit) json[QStringLiteral("conductor")] = QString::fromLatin1(unit.name);
    if (design.conductor.unit != ConductorUnit::None)
        json[QStringLiteral("conductor_text")] = QString::fromStdString(design.conductor.text);
    return QJsonDocument(json).toJson(QJsonDocument::Indented);
}

DesignRequest designFromJson(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (document.isNull())
        throw std::runtime_error("it is not JSON (" + error.errorString().toStdString() + " at character " +
                                 std::to_string(error.offset) + ")");
    const QJsonObject json = document.object();
    if (json.value(QStringLiteral("kind")).toString() != QLatin1String(kKind))
        throw std::runtime_error("it is not a design this program saved (no \"kind\": \"brimalox design\")");
    const auto string = [&json](const char* key) {
        const QJsonValue value = json.value(QString::fromLatin1(key));
        if (!value.isString()) throw std::runtime_error(std::string("its \"") + key + "\" is not a text");
        return value.toString().toStdString();
    };
    DesignRequest design;
    design.frequencyText = string("frequency");
    design.sides = json.value(QStringLiteral("sides")).toInt(0);
    if (design.sides != 3 && design.sides != 4) throw std::runtime_error("its \"sides\" is neither 3 nor 4");
    const std::string conductor = string("conductor");
    bool known = false;
    for (const UnitName& unit : kUnits)
        if (conductor == unit.name) {
            design.conductor.unit = unit.unit;
            known = true;
        }
    if (!known) throw std::runtime_error("its \"conductor\" is none of recommended, mm, awg or inch");
    if (design.conductor.unit != ConductorUnit::None) design.conductor.text = string("conductor_text");
    return design;
}

}  // namespace brimalox
