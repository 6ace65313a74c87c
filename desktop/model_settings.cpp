#include "desktop/model_settings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace brimalox {
namespace {

constexpr const char* kOwnConstants = "constants";

}  // namespace

nec::SettingNames windowSettingNames() {
    nec::SettingNames n;
    n.z0 = "FEED LINE Z0";
    n.from = "SWEEP FROM";
    n.to = "SWEEP TO";
    n.step = "SWEEP STEP";
    n.ground = "GROUND";
    n.groundConstants = "GROUND CONSTANTS";
    n.height = "HEIGHT";
    n.patternAt = "PATTERN ALSO AT";
    n.heights = "HEIGHT SWEEP";
    return n;
}

QLineEdit* settingBox(QWidget* parent, const char* name, const QString& label, const QString& hint,
                      const QString& text) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(label);
    box->setPlaceholderText(hint);
    return box;
}

ModelSettings::ModelSettings(QWidget* parent) : QWidget(parent) {
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    z0_ = settingBox(this, "z0", "FEED LINE Z0", "ohms", "300");
    form->addRow(QStringLiteral("FEED LINE Z0 (OHMS)"), z0_);
    ground_ = new QComboBox(this);
    ground_->setObjectName(QStringLiteral("ground"));
    ground_->setAccessibleName(QStringLiteral("GROUND"));
    ground_->addItem(QStringLiteral("free space"), QString());
    ground_->addItem(QStringLiteral("perfect"), QStringLiteral("perfect"));
    for (const nec::GroundClass& c : nec::groundClasses())
        ground_->addItem(QStringLiteral("%1: %2").arg(QString::fromLatin1(c.name), QString::fromLatin1(c.description)),
                         QString::fromLatin1(c.name));
    ground_->addItem(QStringLiteral("of its own constants"), QString::fromLatin1(kOwnConstants));
    form->addRow(QStringLiteral("GROUND"), ground_);
    constants_ = settingBox(this, "groundConstants", "GROUND CONSTANTS", "EPSR,SIGMA (permittivity, S/m)");
    form->addRow(QStringLiteral("GROUND CONSTANTS"), constants_);
    height_ = settingBox(this, "height", "HEIGHT", "metres, of the antenna's lowest point");
    form->addRow(QStringLiteral("HEIGHT (M)"), height_);
    const auto constantsWanted = [this] {
        constants_->setEnabled(ground_->currentData().toString() == QLatin1String(kOwnConstants));
    };
    connect(ground_, &QComboBox::currentIndexChanged, this, constantsWanted);
    constantsWanted();
}

void ModelSettings::fill(nec::Settings& s) const {
    s.z0 = z0_->text().toStdString();
    const QString ground = ground_->currentData().toString();
    if (ground == QLatin1String(kOwnConstants))
        s.groundConstants = constants_->text().toStdString();
    else
        s.ground = ground.toStdString();
    s.height = height_->text().toStdString();
}

}  // namespace brimalox
