#include "desktop/dialogs/SettingsTabs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ProxyPageCheck.h"
#include "desktop/dialogs/ClickableLabel.h"
#include "desktop/dialogs/EnterForDefaultButton.h"
#include "desktop/dialogs/HyperLink.h"
#include "desktop/geek/SettingsSkinTab.h"
#include "ports/UserPort.h"
#include "server/ServerAddress.h"

namespace {

QCheckBox* AddBox(QWidget* page, QLayout* layout, const char* name, const char* text,
                  std::int32_t value) {
    auto* box = new QCheckBox(QString::fromUtf8(text), page);
    box->setObjectName(name);
    box->setChecked(value != 0);
    layout->addWidget(box);
    return box;
}

QLineEdit* AddField(QWidget* page, const char* name, const std::string& value) {
    auto* field = new QLineEdit(QString::fromStdString(value), page);
    field->setObjectName(name);
    return field;
}

std::int32_t Ticked(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

// Inside a page, Enter and Escape are not the dialog's: only Save and Cancel close it.
class Page final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QWidget::keyPressEvent(event);
    }
};

QLabel* Separator(QWidget* parent) {
    auto* line = new QLabel(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

CSettingsTabs::CSettingsTabs(const SettingsPages& pages, Preferences& prefs, UserPort& user,
                             QWidget* parent)
    : QDialog(parent),
      Pages(pages),
      user_(user),
      tabs_(new QTabWidget(this)),
      skin_(
          new CSettingsSkinTab(prefs, user, ServerAddress::FromEnvironment().WebPageUrl("/rgb/"))) {
    setWindowTitle("Kestrovin Preferences");
    // The one place the tab order is decided; a new page goes in by its index here.
    tabs_->addTab(ProgramPage(), "Program Settings");
    tabs_->addTab(ProgramPage2(), "Program Settings #2");
    proxyPage_ = ProxyPage();
    tabs_->addTab(proxyPage_, "Proxy Settings");
    tabs_->addTab(skin_, "Geek Window Skin");
    tabs_->addTab(AboutPage(), "About");
    // Five titles: the dialog grows to show them all rather than scroll the tab bar.
    tabs_->setUsesScrollButtons(false);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton("Save", QDialogButtonBox::AcceptRole);
    save->setObjectName("save");
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setObjectName("cancel");
    save->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // A proxy or skin field the page refuses has been reported; the dialog stays open on
        // that page.
        if (!CheckProxyPage()) {
            return;
        }
        if (!skin_->ReadFields()) {
            tabs_->setCurrentWidget(skin_);
            return;
        }
        Collect();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    LeaveEnterToDefaultButton(*this);
    ApplyProxyRules();
}

void CSettingsTabs::keyPressEvent(QKeyEvent* event) {
    // Escape inside a page is no Cancel; the close box and the Cancel button still are.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QCheckBox* CSettingsTabs::Box(const char* name) const {
    return findChild<QCheckBox*>(name);
}
QLineEdit* CSettingsTabs::Field(const char* name) const {
    return findChild<QLineEdit*>(name);
}
QRadioButton* CSettingsTabs::Radio(const char* name) const {
    return findChild<QRadioButton*>(name);
}

QWidget* CSettingsTabs::ProgramPage() {
    auto* page = new Page(this);
    auto* layout = new QVBoxLayout(page);
    const SettingsPages& p = Pages;
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    AddBox(page, left, "LoadAtWinStartup", "Start Kestrovin when I log in", p.LoadAtWinStartup);
    AddBox(page, left, "ShowSplash", "Show Splash Screen on Startup", p.ShowSplash);
    AddBox(page, left, "UseHotKey", "Use Alt+Ctrl+P to Skeld", p.UseHotKey);
    AddBox(page, left, "DoubleClickTray", "Double Click Tray Icon to Skeld", p.DoubleClickTray);
    AddBox(page, left, "CheckUpdatesStartup", "Check Version on Startup", p.CheckUpdatesStartup);
    AddBox(page, right, "RetimeFromManualSkeld", "Restart Timers on Manual Skeld",
           p.RetimeFromManualSkeld);
    AddBox(page, right, "BlinkTray", "Blink Tray Upon Key/Click", p.BlinkTray);
    AddBox(page, right, "UseBalloons", "Use Tray Balloons", p.UseBalloons);
    AddBox(page, right, "GeekStart", "Spawn Geek Window on Startup", p.GeekStart);
    AddBox(page, right, "IconRefresh", "Cycle Tray Icon Every Minute", p.IconRefresh);
    columns->addLayout(left);
    columns->addLayout(right);
    layout->addLayout(columns);

    auto* timers = new QGroupBox("Timers", page);
    auto* timersLayout = new QVBoxLayout(timers);
    auto* intro = new QLabel(
        "You can set up 'Timers' below. When Kestrovin reaches the limit on one of the timers, "
        "it will automatically skeld. The 'Restart Timers on Manual Skeld' option above is for "
        "these timers.",
        timers);
    intro->setWordWrap(true);
    timersLayout->addWidget(intro);
    auto* fields = new QHBoxLayout;
    const std::pair<const char*, const char*> limits[] = {
        {"Hour(s):", "SkeldEveryHours"}, {"Keys:", "SkeldEvery"}, {"Clicks:", "SkeldEveryClicks"}};
    const std::string* values[] = {&p.SkeldEveryHours, &p.SkeldEvery, &p.SkeldEveryClicks};
    for (int i = 0; i < 3; ++i) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(limits[i].first, timers));
        QLineEdit* field = AddField(timers, limits[i].second, *values[i]);
        connect(field, &QLineEdit::textEdited, this, [this] { ReadProgramFields(); });
        column->addWidget(field);
        fields->addLayout(column);
    }
    timersLayout->addLayout(fields);
    timersLayout->addWidget(new QLabel("0 = disabled.", timers));
    layout->addWidget(timers);
    layout->addStretch();
    return page;
}

QWidget* CSettingsTabs::ProgramPage2() {
    auto* page = new Page(this);
    auto* layout = new QVBoxLayout(page);
    const SettingsPages& p = Pages;
    auto* top = new QHBoxLayout;

    auto* units = new QGroupBox("Distance", page);
    auto* unitsLayout = new QVBoxLayout(units);
    auto* unitGroup = new QButtonGroup(page);
    unitGroup->setObjectName("DistanceType");
    const char* unitTexts[] = {"&Miles", "&Kilometers", "&Meters"};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(unitTexts[i], units);
        radio->setObjectName(QString("DistanceType%1").arg(i));
        radio->setChecked(p.DistanceType == i);
        unitGroup->addButton(radio, i);
        unitsLayout->addWidget(radio);
    }
    top->addWidget(units);

    // "Every week" is drawn above "Every month", but the stored index keeps month first.
    auto* version = new QGroupBox("Check Version", page);
    auto* versionLayout = new QVBoxLayout(version);
    auto* versionGroup = new QButtonGroup(page);
    versionGroup->setObjectName("CheckForUpdates");
    const std::pair<int, const char*> drawn[] = {
        {1, "Every week"}, {0, "Every month"}, {2, "Never"}};
    for (const auto& [index, text] : drawn) {
        auto* radio = new QRadioButton(text, version);
        radio->setObjectName(QString("CheckForUpdates%1").arg(index));
        radio->setChecked(p.CheckForUpdates == index);
        versionGroup->addButton(radio, index);
        versionLayout->addWidget(radio);
    }
    top->addWidget(version);
    layout->addLayout(top);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    AddBox(page, left, "ShowNoPopups", "Show no automated popups", p.ShowNoPopups);
    AddBox(page, left, "GenXML", "Generate local XML file every 5 min.", p.GenXML);
    AddBox(page, left, "KeepFreq", "Keep record of keystroke frequencies", p.KeepFreq);
    AddBox(page, right, "CountKeys", "Count Keys", p.CountKeys);
    AddBox(page, right, "CountClicks", "Count Mouse Clicks", p.CountClicks);
    AddBox(page, right, "Distance", "Count Mouse Distance", p.Distance);
    columns->addLayout(left);
    columns->addLayout(right);
    layout->addLayout(columns);

    auto* warning = new QLabel(
        "Do not check the below option unless Kestrovin is installed on a portable (USB) device.",
        page);
    warning->setWordWrap(true);
    layout->addWidget(warning);
    AddBox(page, layout, "PortableMode", "Use Kestrovin on a Portable Device", p.PortableMode);
    layout->addStretch();
    return page;
}

QWidget* CSettingsTabs::ProxyPage() {
    auto* page = new Page(this);
    auto* layout = new QVBoxLayout(page);
    const SettingsPages& p = Pages;
    QCheckBox* use = AddBox(page, layout, "ProxyUse", "Use Proxy", p.ProxyUse);
    auto* form = new QFormLayout;
    QLineEdit* host = AddField(page, "ProxyHost", p.ProxyHost);
    QLineEdit* port = AddField(page, "ProxyPort", std::to_string(p.ProxyPort));
    form->addRow("Host name:", host);
    form->addRow("Port:", port);
    layout->addLayout(form);
    QCheckBox* auth = AddBox(page, layout, "ProxyAuth", "Use Authentication", p.ProxyAuth);
    auto* authForm = new QFormLayout;
    QLineEdit* name = AddField(page, "ProxyUser", p.ProxyUser);
    QLineEdit* password = AddField(page, "ProxyPass", p.ProxyPass);
    password->setEchoMode(QLineEdit::Password);
    authForm->addRow("Username:", name);
    authForm->addRow("Password:", password);
    layout->addLayout(authForm);
    layout->addStretch();
    for (QLineEdit* field : {host, port, name, password}) {
        connect(field, &QLineEdit::textEdited, this, [this] {
            if (!ReadProxyFields()) {
                user_.ShowMessage(PortMessage);  // the member keeps its earlier value
            }
        });
    }
    connect(use, &QCheckBox::clicked, this, [this] { ApplyProxyRules(); });
    connect(auth, &QCheckBox::clicked, this, [this] { ApplyProxyRules(); });
    return page;
}

QWidget* CSettingsTabs::AboutPage() {
    auto* page = new Page(this);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel("The desktop client for the Kestrovin project.", page));
    layout->addWidget(Separator(page));
    layout->addWidget(new QLabel("Kestrovin Web Links:", page));
    const ServerAddress server = ServerAddress::FromEnvironment();
    const std::pair<const char*, std::string> links[] = {
        {"Project Homepage", server.WebPageUrl("")},
        {"Downloads", server.WebPageUrl("/downloads/")},
        {"Forums", server.WebPageUrl("/forum/")}};
    for (const auto& [text, url] : links) {
        auto* link = new CHyperLink(text, url, user_, page);
        link->setObjectName(text);
        layout->addWidget(link);
    }
    layout->addWidget(Separator(page));
    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(new QLabel("Client Version:", page));
    auto* version = new CClickableLabel("1.7.1", page);
    version->setObjectName("version");
    connect(version, &CClickableLabel::Clicked, this, [this] {
        if (VersionClicked) {
            VersionClicked();
        }
    });
    versionRow->addWidget(version);
    versionRow->addStretch();
    layout->addLayout(versionRow);
    layout->addStretch();
    return page;
}

void CSettingsTabs::ApplyProxyRules() {
    const ProxyEditable editable =
        ProxyEditable::For(Ticked(Box("ProxyUse")), Ticked(Box("ProxyAuth")));
    Field("ProxyHost")->setReadOnly(!editable.HostAndPort);
    Field("ProxyPort")->setReadOnly(!editable.HostAndPort);
    Field("ProxyUser")->setReadOnly(!editable.UserAndPassword);
    Field("ProxyPass")->setReadOnly(!editable.UserAndPassword);
    // Read-only fields take the window's colour, as they do on other desktops, so the page shows
    // which fields can be typed in; Qt's own styles draw both kinds alike.
    for (const char* name : {"ProxyHost", "ProxyPort", "ProxyUser", "ProxyPass"}) {
        QLineEdit* field = Field(name);
        QPalette colours;  // nothing set: the field follows the dialog
        if (field->isReadOnly()) {
            colours.setColor(QPalette::Base, palette().color(QPalette::Window));
        }
        field->setPalette(colours);
    }
}

void CSettingsTabs::ReadProgramFields() {
    Pages.SkeldEveryHours = Field("SkeldEveryHours")->text().toStdString();
    Pages.SkeldEvery = Field("SkeldEvery")->text().toStdString();
    Pages.SkeldEveryClicks = Field("SkeldEveryClicks")->text().toStdString();
}

bool CSettingsTabs::ReadProxyFields() {
    Pages.ProxyHost = Field("ProxyHost")->text().toStdString();
    Pages.ProxyUser = Field("ProxyUser")->text().toStdString();
    Pages.ProxyPass = Field("ProxyPass")->text().toStdString();
    const std::optional<std::uint32_t> port =
        ProxyPageCheck::Port(Field("ProxyPort")->text().toStdString());
    if (!port) {
        return false;
    }
    Pages.ProxyPort = *port;
    return true;
}

bool CSettingsTabs::CheckProxyPage() {
    const auto refusal =
        ProxyPageCheck::Refuse(Ticked(Box("ProxyUse")), Field("ProxyHost")->text().toStdString(),
                               Field("ProxyPort")->text().toStdString());
    if (!refusal) {
        return true;
    }
    tabs_->setCurrentWidget(proxyPage_);
    QLineEdit* field =
        Field(refusal->Where == ProxyPageCheck::Field::Host ? "ProxyHost" : "ProxyPort");
    field->setFocus();
    field->selectAll();
    user_.ShowMessage(refusal->Message);
    return false;
}

void CSettingsTabs::Collect() {
    ReadProgramFields();
    ReadProxyFields();
    SettingsPages& p = Pages;
    const std::pair<std::int32_t*, const char*> boxes[] = {
        {&p.LoadAtWinStartup, "LoadAtWinStartup"},
        {&p.ShowSplash, "ShowSplash"},
        {&p.UseHotKey, "UseHotKey"},
        {&p.DoubleClickTray, "DoubleClickTray"},
        {&p.CheckUpdatesStartup, "CheckUpdatesStartup"},
        {&p.RetimeFromManualSkeld, "RetimeFromManualSkeld"},
        {&p.BlinkTray, "BlinkTray"},
        {&p.UseBalloons, "UseBalloons"},
        {&p.GeekStart, "GeekStart"},
        {&p.IconRefresh, "IconRefresh"},
        {&p.ShowNoPopups, "ShowNoPopups"},
        {&p.GenXML, "GenXML"},
        {&p.KeepFreq, "KeepFreq"},
        {&p.PortableMode, "PortableMode"},
        {&p.CountKeys, "CountKeys"},
        {&p.CountClicks, "CountClicks"},
        {&p.Distance, "Distance"},
        {&p.ProxyUse, "ProxyUse"},
        {&p.ProxyAuth, "ProxyAuth"}};
    for (const auto& [member, name] : boxes) {
        *member = Ticked(Box(name));
    }
    const int unit = findChild<QButtonGroup*>("DistanceType")->checkedId();
    p.DistanceType = unit < 0 ? p.DistanceType : unit;
    const int check = findChild<QButtonGroup*>("CheckForUpdates")->checkedId();
    p.CheckForUpdates = check < 0 ? p.CheckForUpdates : check;
    p.Skin = skin_->Values();
}
