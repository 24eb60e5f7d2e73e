#pragma once

#include <QWidget>
#include <array>
#include <string>

#include "geek/GeekSkin.h"

struct Preferences;
class CHyperLink;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class UserPort;

// The preferences dialog's "Geek Window Skin" page: the Geek Window's colours, size,
// transparency and next-skeld flag, edited on a copy that the dialog writes back on "Save".
// Its two buttons write to the preferences at once: "X&Y Values" (through the X&Y dialog) and
// "Set Default Values".
class CSettingsSkinTab final : public QWidget {
    Q_OBJECT

public:
    // Fills the page from `prefs`, then restores the default skin in `prefs` (and on the page)
    // when the stored one is blank. `rgbMapUrl` is the colour-chart page of the web site.
    CSettingsSkinTab(Preferences& prefs, UserPort& user, std::string rgbMapUrl,
                     QWidget* parent = nullptr);

    // "Save" of the preferences dialog, first step: reads the fields into the page's values.
    // False, after a message naming the fault, when a field is empty or too large; the dialog
    // then stays open.
    bool ReadFields();
    // "Save", later step: stores the skin values into the preferences (positions untouched).
    void ApplyTo(Preferences& prefs) const { values_.ApplyTo(prefs); }
    const GeekSkin::Values& Values() const { return values_; }

    static constexpr const char* DefaultQuestion =
        "Do you really wish to revert to\nthe default geek window skin?";

    // The nine colour fields (background R G B, main font R G B, values R G B), then height
    // and width.
    QLineEdit* Field(int index) const { return fields_.at(static_cast<std::size_t>(index)); }
    QSlider* TransparencySlider() const { return transparency_; }
    QCheckBox* ShowNextSkeldBox() const { return showNextSkeld_; }
    QPushButton* DefaultButton() const { return defaults_; }
    QPushButton* XYButton() const { return xy_; }
    CHyperLink* RgbMapLink() const { return rgbMap_; }

private:
    void ShowValues();
    void OnSetDefaultValues();
    void OnXYValues();

    Preferences& prefs_;
    UserPort& user_;
    GeekSkin::Values values_;
    std::array<QLineEdit*, 11> fields_{};
    QSlider* transparency_;
    QCheckBox* showNextSkeld_;
    QPushButton* defaults_;
    QPushButton* xy_;
    CHyperLink* rgbMap_;
};
