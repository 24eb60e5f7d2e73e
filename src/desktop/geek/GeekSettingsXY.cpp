#include "desktop/geek/GeekSettingsXY.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "counting/Preferences.h"
#include "desktop/geek/SkinNumberField.h"
#include "geek/GeekSkin.h"

namespace {

constexpr const char* kLabels[] = {"Key Count:",       "Mouse Count:",     "Rank:",
                                   "Meters Moved:",    "Total Key Count:", "Total Mouse Count:",
                                   "Keys Last Skeld:", "Time Next Skeld:"};

}  // namespace

CGeekSettingsXY::CGeekSettingsXY(Preferences& prefs, UserPort& user, QWidget* parent)
    : QDialog(parent),
      prefs_(prefs),
      user_(user),
      save_(new QPushButton(QStringLiteral("Save"))),
      goBack_(new QPushButton(QStringLiteral("Go Back"))) {
    setWindowTitle(QStringLiteral("Geek Window X&Y Settings"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("X:")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Y:")), 0, 2);
    const auto positions = GeekSkin::Positions(prefs_);
    for (int i = 0; i < FieldCount; ++i) {
        fields_[static_cast<std::size_t>(i)] =
            SkinNumberField::Make(*positions[static_cast<std::size_t>(i)]);
        const int row = i / 2 + 1;
        if (i % 2 == 0) {
            grid->addWidget(new QLabel(QString::fromUtf8(kLabels[i / 2])), row, 0);
        }
        grid->addWidget(fields_[static_cast<std::size_t>(i)], row, 1 + i % 2);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(goBack_);
    save_->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(save_, &QPushButton::clicked, this, &CGeekSettingsXY::OnSave);
    connect(goBack_, &QPushButton::clicked, this, &QDialog::reject);
}

void CGeekSettingsXY::OnSave() {
    std::array<std::int32_t, FieldCount> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto value = SkinNumberField::Read(*fields_[i], user_);
        if (!value) {
            return;  // the dialog stays open on the field to mend
        }
        values[i] = *value;
    }
    const auto positions = GeekSkin::Positions(prefs_);
    for (std::size_t i = 0; i < values.size(); ++i) {
        *positions[i] = values[i];
    }
    accept();
}
