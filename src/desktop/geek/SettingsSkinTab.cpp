#include "desktop/geek/SettingsSkinTab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <utility>

#include "counting/Preferences.h"
#include "desktop/dialogs/HyperLink.h"
#include "desktop/geek/GeekSettingsXY.h"
#include "desktop/geek/SkinNumberField.h"
#include "ports/UserPort.h"

namespace {

std::array<std::int32_t*, 11> Numbers(GeekSkin::Values& v) {
    return {&v.BGr, &v.BGg, &v.BGb, &v.Fr, &v.Fg, &v.Fb, &v.Vr, &v.Vg, &v.Vb, &v.Height, &v.Width};
}

}  // namespace

CSettingsSkinTab::CSettingsSkinTab(Preferences& prefs, UserPort& user, std::string rgbMapUrl,
                                   QWidget* parent)
    : QWidget(parent),
      prefs_(prefs),
      user_(user),
      values_(GeekSkin::Values::From(prefs)),
      transparency_(new QSlider(Qt::Horizontal)),
      showNextSkeld_(new QCheckBox(QStringLiteral("Show time of next skeld"))),
      defaults_(new QPushButton(QStringLiteral("Set Default Values"))),
      xy_(new QPushButton(QStringLiteral("X&&Y Values"))),
      rgbMap_(new CHyperLink(QStringLiteral("RGB Map"), std::move(rgbMapUrl), user)) {
    for (auto& field : fields_) {
        field = SkinNumberField::Make(0);
    }

    auto* colours = new QGridLayout;
    colours->addWidget(new QLabel(QStringLiteral("R:")), 0, 1);
    colours->addWidget(new QLabel(QStringLiteral("G:")), 0, 2);
    colours->addWidget(new QLabel(QStringLiteral("B:")), 0, 3);
    const char* rowNames[] = {"Background:", "Main Font:", "Values:"};
    for (int row = 0; row < 3; ++row) {
        colours->addWidget(new QLabel(QString::fromUtf8(rowNames[row])), row + 1, 0);
        for (int column = 0; column < 3; ++column) {
            colours->addWidget(fields_[static_cast<std::size_t>(row * 3 + column)], row + 1,
                               column + 1);
        }
    }
    colours->addWidget(new QLabel(QStringLiteral("Pixels:")), 0, 5);
    colours->addWidget(new QLabel(QStringLiteral("Height:")), 1, 4);
    colours->addWidget(fields_[9], 1, 5);
    colours->addWidget(new QLabel(QStringLiteral("Width:")), 2, 4);
    colours->addWidget(fields_[10], 2, 5);
    colours->addWidget(rgbMap_, 3, 4, 1, 2);
    colours->setColumnStretch(6, 1);

    auto* slider = new QHBoxLayout;
    slider->addWidget(new QLabel(QStringLiteral("100%")));
    slider->addWidget(transparency_, 1);
    slider->addWidget(new QLabel(QStringLiteral("0%")));
    transparency_->setRange(GeekSkin::MinTransparency, GeekSkin::Opaque);

    auto* xyRow = new QHBoxLayout;
    xyRow->addWidget(xy_);
    xyRow->addStretch();
    xyRow->addWidget(defaults_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(colours);
    layout->addWidget(new QLabel(QStringLiteral("Transparency:")));
    layout->addLayout(slider);
    layout->addWidget(showNextSkeld_);
    layout->addWidget(
        new QLabel(QStringLiteral("Click the button below to set X & Y coordinates for text.")));
    layout->addLayout(xyRow);
    layout->addStretch();

    // A blank stored skin gets the default one back; the page shows it too, so that a "Save"
    // does not write the blank colours again.
    if (GeekSkin::RestoreDefaultIfBlank(prefs_)) {
        values_ = GeekSkin::Values::From(prefs_);  // only colours, size and positions changed
    }
    ShowValues();

    connect(transparency_, &QSlider::valueChanged, this,
            [this](int position) { values_.Trans = position; });
    connect(showNextSkeld_, &QCheckBox::toggled, this,
            [this](bool on) { values_.ViewNP = on ? 1 : 0; });
    connect(defaults_, &QPushButton::clicked, this, &CSettingsSkinTab::OnSetDefaultValues);
    connect(xy_, &QPushButton::clicked, this, &CSettingsSkinTab::OnXYValues);
}

void CSettingsSkinTab::ShowValues() {
    const auto numbers = Numbers(values_);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        fields_[i]->setText(QString::number(*numbers[i]));
    }
    transparency_->setValue(values_.Trans);
    showNextSkeld_->setChecked(values_.ViewNP != 0);
}

bool CSettingsSkinTab::ReadFields() {
    std::array<std::int32_t, 11> read{};
    for (std::size_t i = 0; i < read.size(); ++i) {
        const auto value = SkinNumberField::Read(*fields_[i], user_);
        if (!value) {
            return false;
        }
        read[i] = *value;
    }
    const auto numbers = Numbers(values_);
    for (std::size_t i = 0; i < read.size(); ++i) {
        *numbers[i] = read[i];
    }
    values_.Trans = transparency_->value();
    values_.ViewNP = showNextSkeld_->isChecked() ? 1 : 0;
    return true;
}

void CSettingsSkinTab::OnSetDefaultValues() {
    if (!user_.AskYesNo(DefaultQuestion, UserPort::Icon::Question, UserPort::EnterAnswers::No)) {
        return;
    }
    GeekSkin::RestoreDefault(prefs_);
    // Only the eleven fields change; the slider and the check box stay as they are.
    GeekSkin::Values restored = GeekSkin::Values::From(prefs_);
    const auto numbers = Numbers(restored);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        fields_[i]->setText(QString::number(*numbers[i]));
    }
}

void CSettingsSkinTab::OnXYValues() {
    CGeekSettingsXY dialog(prefs_, user_, this);
    // Holds only the preferences; the tray goes on meanwhile.
    dialog.setWindowModality(Qt::WindowModal);
    dialog.exec();
}
