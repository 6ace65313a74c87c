#include "desktop/model_settings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

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
    n.feedLine = "FEED LINES";
    n.feedLoss = "FEED LOSS";
    n.feedSection = "FEED SECTION";
    n.balun = "BALUN";
    n.coax = "COAX";
    n.rigZ0 = "RIG Z0";
    n.at = "SWR AT";
    n.insulation = "INSULATION";
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

QHBoxLayout* settingsInRow(QWidget* parent, QLineEdit* first, const std::vector<std::pair<QString, QLineEdit*>>& more) {
    auto* row = new QHBoxLayout;
    row->addWidget(first);
    for (const auto& [caption, box] : more) {
        row->addWidget(new QLabel(caption, parent));
        row->addWidget(box);
    }
    return row;
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
    insulation_ = settingBox(this, "insulation", "INSULATION",
                             "MM,EPSR or MM,PVC (polyethylene, PTFE): the wire's coat; empty: bare wire");
    form->addRow(QStringLiteral("INSULATION"), insulation_);
    const auto constantsWanted = [this] {
        constants_->setEnabled(ground_->currentData().toString() == QLatin1String(kOwnConstants));
    };
    connect(ground_, &QComboBox::currentIndexChanged, this, constantsWanted);
    constantsWanted();
    form->addRow(buildFeed());
}

// The lines from the gaps to their junction, a section, a balun and coax to the rig: what the SWR is
// measured through. Off, the SWR is the gap's against FEED LINE Z0.
QGroupBox* ModelSettings::buildFeed() {
    feed_ = new QGroupBox(QStringLiteral("FEED SYSTEM"), this);
    feed_->setObjectName(QStringLiteral("feed"));
    feed_->setCheckable(true);
    feed_->setChecked(false);
    feed_->setFlat(true);               // no empty frame while it is off
    auto* fields = new QWidget(feed_);  // shown only while ticked: the windows stay short without a feed
    (new QVBoxLayout(feed_))->addWidget(fields);
    auto* form = new QFormLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);
    line_ = settingBox(fields, "feedLine", "FEED LINES",
                       "Z0,VF[,MM] of each gap's line (FEED LINE Z0, 0.82 and the series match length)");
    form->addRow(QStringLiteral("FEED LINES"), line_);
    loss_ = settingBox(fields, "feedLoss", "FEED LOSS", "dB per 100 m at 100 MHz (0)");
    form->addRow(QStringLiteral("FEED LOSS"), loss_);
    section_ = settingBox(fields, "feedSection", "FEED SECTION", "Z0,VF,MM from the junction to the balun (none)");
    form->addRow(QStringLiteral("FEED SECTION"), section_);
    balun_ = settingBox(fields, "balun", "BALUN", "N of an ideal N:1 balun (1)");
    form->addRow(QStringLiteral("BALUN"), balun_);
    coax_ = settingBox(fields, "coax", "COAX", "Z0,VF,METRES[,DB] from the balun to the rig (none)");
    form->addRow(QStringLiteral("COAX"), coax_);
    rigZ0_ = settingBox(fields, "rigZ0", "RIG Z0", "ohms of the rig or analyser (50)");
    form->addRow(QStringLiteral("RIG Z0"), rigZ0_);
    at_ = new QComboBox(fields);
    at_->setObjectName(QStringLiteral("at"));
    at_->setAccessibleName(QStringLiteral("SWR AT"));
    at_->addItem(QStringLiteral("the rig"), QStringLiteral("rig"));
    at_->addItem(QStringLiteral("the junction"), QStringLiteral("junction"));
    at_->addItem(QStringLiteral("the gaps"), QStringLiteral("gap"));
    form->addRow(QStringLiteral("SWR AT"), at_);
    fields->setVisible(false);
    connect(feed_, &QGroupBox::toggled, fields, &QWidget::setVisible);
    return feed_;
}

void ModelSettings::fill(nec::Settings& s) const {
    s.z0 = z0_->text().toStdString();
    const QString ground = ground_->currentData().toString();
    if (ground == QLatin1String(kOwnConstants))
        s.groundConstants = constants_->text().toStdString();
    else
        s.ground = ground.toStdString();
    s.height = height_->text().toStdString();
    s.insulation = insulation_->text().toStdString();
    if (!feed_->isChecked()) return;
    nec::FeedSettings& f = s.feed;
    f.line = line_->text().toStdString();
    f.loss = loss_->text().toStdString();
    f.section = section_->text().toStdString();
    f.balun = balun_->text().toStdString();
    f.coax = coax_->text().toStdString();
    f.rigZ0 = rigZ0_->text().toStdString();
    f.at = at_->currentData().toString().toStdString();
}

}  // namespace brimalox
