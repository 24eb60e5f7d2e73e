#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "app/SettingsApply.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class CSettingsSkinTab;
class QTabWidget;
class UserPort;
struct Preferences;

// "Kestrovin Preferences": shows the pages and collects them into Pages on "Save". Its rules
// (limits, side effects, proxy fields) live in SettingsApply and ProxyEditable.
class CSettingsTabs final : public QDialog {
    Q_OBJECT

public:
    // `prefs` are the live preferences: the skin page's two buttons write to them at once.
    CSettingsTabs(const SettingsPages& pages, Preferences& prefs, UserPort& user,
                  QWidget* parent = nullptr);

    SettingsPages Pages;

    // The About page's version text was clicked: the lead's credits dialog opens from here.
    std::function<void()> VersionClicked;

    static constexpr const char* PortMessage = "Please enter an unsigned number for the port.";

    QTabWidget* Tabs() const { return tabs_; }
    QCheckBox* Box(const char* objectName) const;
    QLineEdit* Field(const char* objectName) const;
    QRadioButton* Radio(const char* objectName) const;
    CSettingsSkinTab* SkinTab() const { return skin_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* ProgramPage();
    QWidget* ProgramPage2();
    QWidget* ProxyPage();
    QWidget* AboutPage();
    void ApplyProxyRules();
    void ReadProgramFields();
    void ReadProxyFields();
    void Collect();

    UserPort& user_;
    QTabWidget* tabs_;
    CSettingsSkinTab* skin_;
};
