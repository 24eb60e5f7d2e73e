#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

struct Preferences;
class QLineEdit;
class QPushButton;
class UserPort;

// "Geek Window X&Y Settings": the pixel position of each of the Geek Window's eight texts.
// "Save" writes the sixteen positions straight into the preferences (an open Geek Window moves
// its texts at its next refresh); "Go Back" leaves them alone.
class CGeekSettingsXY final : public QDialog {
    Q_OBJECT

public:
    // The fields in the order keycount X, Y, mousecount X, Y, rank, meters, totalkeys,
    // totalmouse, lastkeys, timenextskeld.
    static constexpr int FieldCount = 16;

    // The fields show the positions in `prefs`.
    CGeekSettingsXY(Preferences& prefs, UserPort& user, QWidget* parent = nullptr);

    QLineEdit* Field(int index) const { return fields_.at(static_cast<std::size_t>(index)); }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* GoBackButton() const { return goBack_; }

private:
    void OnSave();

    Preferences& prefs_;
    UserPort& user_;
    std::array<QLineEdit*, FieldCount> fields_{};
    QPushButton* save_;
    QPushButton* goBack_;
};
