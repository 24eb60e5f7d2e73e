#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "app/ProxyPageCheck.h"
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
// (limits, side effects, proxy fields) live in SettingsApply, ProxyEditable and ProxyPageCheck.
class CSettingsTabs final : public QDialog {
    Q_OBJECT

public:
    // `prefs` are the live preferences: the skin page's two buttons write to them at once.
    CSettingsTabs(const SettingsPages& pages, Preferences& prefs, UserPort& user,
                  QWidget* parent = nullptr);

    SettingsPages Pages;

    // The About page's version text was clicked: the lead's credits dialog opens from here.
    std::function<void()> VersionClicked;

    static constexpr const char* PortMessage = ProxyPageCheck::PortMessage;

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
    // False when the port field holds no unsigned number; the member keeps its earlier value.
    bool ReadProxyFields();
    // False, after showing the proxy page with its message, when the page cannot be saved.
    bool CheckProxyPage();
    void Collect();

    UserPort& user_;
    QTabWidget* tabs_;
    CSettingsSkinTab* skin_;
    QWidget* proxyPage_ = nullptr;
};
