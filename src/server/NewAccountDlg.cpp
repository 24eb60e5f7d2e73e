#include "server/NewAccountDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>

#include "dialogs/EnterForDefaultButton.h"
#include "dialogs/ProxyInfo.h"
#include "server/AssistantBackground.h"
#include "server/Communication.h"

namespace {

constexpr int kWidth = 470;
constexpr int kHeight = 340;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CNewAccountDlg::CNewAccountDlg(std::function<RequestContext()> newRequestContext, UserPort& user,
                               std::function<void()> discardState, QWidget* parent)
    : QDialog(parent),
      newRequestContext_(std::move(newRequestContext)),
      user_(user),
      discardState_(std::move(discardState)) {
    setWindowTitle(QString::fromLatin1(Caption));
    // No close box: the assistant is left with "Exit" (or Escape).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(kWidth, kHeight);
    CreateControls();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(PlacedOnScreen(screen->geometry(), screen->availableGeometry(), size()));
    }
    Button(Ok)->setEnabled(false);
    static_cast<QRadioButton*>(Control(ExistingAccountRadio))->setChecked(true);
    background_ = DrawAssistantBackground(size());
}

CNewAccountDlg::~CNewAccountDlg() = default;

void CNewAccountDlg::CreateControls() {
    // Made in the order the eye reads them, which is also the keyboard's order.
    auto* frame = new QGroupBox(this);
    frame->setGeometry(10, 6, kWidth - 20, 270);
    frame->lower();

    const auto add = [this](int id, QWidget* control, int x, int y, int w, int h,
                            bool shown = false) {
        control->setParent(this);
        control->setGeometry(x, y, w, h);
        control->setVisible(shown);
        controls_[id] = control;
        return control;
    };
    const auto label = [](const char* text) {
        auto* control = new QLabel(QString::fromUtf8(text));
        control->setWordWrap(true);
        return control;
    };

    add(WelcomeText,
        label("Welcome to Kestrovin, the only statistics programme you'll ever need. Currently "
              "this programme will help you keep track of your keyboard and mouse usage. Ever "
              "asked yourself 'How much do I type or click in one day?' - Kestrovin will answer "
              "that question!"),
        24, 20, 420, 84, true);
    add(GetStartedText,
        label("Let's get started. First, we need to set up your Kestrovin account. Please select "
              "the appropriate option and click 'Continue.'"),
        24, 110, 420, 48, true);
    add(ExistingAccountRadio, new QRadioButton(QStringLiteral("I already have an account")), 44,
        166, 380, 22, true);
    add(NewAccountRadio, new QRadioButton(QStringLiteral("I need to register a new account")), 44,
        192, 380, 22, true);
    add(ContinueButton, new QPushButton(QStringLiteral("Continue")), 330, 232, 110, 28, true);

    add(LoginText,
        label("To login to your existing account, enter your username and password, then click "
              "\"Check for Computers\"."),
        24, 20, 420, 44);
    add(RegisterText,
        label("To get started and register your Kestrovin account, fill out this form then click "
              "\"Register Account!\""),
        24, 20, 420, 44);
    add(AccountNameLabel, label("Account Name:"), 24, 76, 150, 24);
    add(AccountNameEdit, new QLineEdit, 180, 76, 260, 24);
    add(PasswordLabel, label("Password:"), 24, 108, 150, 24);
    auto* password = new QLineEdit;
    password->setEchoMode(QLineEdit::Password);
    add(PasswordEdit, password, 180, 108, 260, 24);
    add(CheckComputerNames, new QPushButton(QStringLiteral("Check for Computer Names")), 180, 142,
        260, 28);
    add(NewEmailLabel, label("E-mail:"), 24, 140, 150, 24);
    add(NewEmailEdit, new QLineEdit, 180, 140, 260, 24);
    add(ComputerListLabel, label("Select Computer Name:"), 24, 180, 150, 24);
    computers_ = new QComboBox;
    computers_->setMaxVisibleItems(6);
    add(ComputerList, computers_, 180, 180, 260, 24);
    add(NewComputerNameLabel, label("Computer Name:"), 24, 172, 150, 24);
    add(NewComputerNameEdit, new QLineEdit, 180, 172, 260, 24);
    status_ = new QLabel;
    status_->setAlignment(Qt::AlignCenter);
    status_->setWordWrap(true);
    add(StatusLine, status_, 24, 232, 420, 36);

    add(ProxyDetails, new QPushButton(QStringLiteral("&Proxy Details")), 10, 296, 130, 30, true);
    add(ExitGoBack, new QPushButton(QStringLiteral("Exit")), 210, 296, 120, 30, true);
    auto* ok = new QPushButton(QStringLiteral("Finish"));
    add(Ok, ok, 340, 296, 120, 30);
    LeaveEnterToDefaultButton(*this);
    ChooseDefaultButton();

    connect(Button(ContinueButton), &QPushButton::clicked, this, &CNewAccountDlg::OnContinue);
    connect(Button(ExitGoBack), &QPushButton::clicked, this, &CNewAccountDlg::OnExitGoBack);
    connect(Button(ProxyDetails), &QPushButton::clicked, this, &CNewAccountDlg::OnProxyDetails);
    connect(Button(CheckComputerNames), &QPushButton::clicked, this,
            &CNewAccountDlg::OnCheckComputerNames);
    connect(ok, &QPushButton::clicked, this, &CNewAccountDlg::OnOk);
    connect(Edit(AccountNameEdit), &QLineEdit::textEdited, this,
            &CNewAccountDlg::OnAccountFieldEdited);
    connect(Edit(PasswordEdit), &QLineEdit::textEdited, this,
            &CNewAccountDlg::OnAccountFieldEdited);
    for (const int id : {AccountNameEdit, PasswordEdit, NewEmailEdit, NewComputerNameEdit}) {
        connect(Edit(id), &QLineEdit::textChanged, this, &CNewAccountDlg::OfferOkAgain);
    }
}

QPoint CNewAccountDlg::PlacedOnScreen(const QRect& screen, const QRect& available,
                                      const QSize& window) {
    int x = screen.x() + screen.width() / 3 - 170;
    int y = screen.y() + screen.height() / 3 - 160;
    x = std::max(available.left(), std::min(x, available.right() + 1 - window.width()));
    y = std::max(available.top(), std::min(y, available.bottom() + 1 - window.height()));
    return {x, y};
}

QWidget* CNewAccountDlg::Control(int id) const {
    const auto found = controls_.find(id);
    return found != controls_.end() ? found->second : nullptr;
}

QPushButton* CNewAccountDlg::Button(int id) const {
    return qobject_cast<QPushButton*>(Control(id));
}

QLineEdit* CNewAccountDlg::Edit(int id) const {
    return qobject_cast<QLineEdit*>(Control(id));
}

bool CNewAccountDlg::Registering() const {
    return static_cast<QRadioButton*>(Control(NewAccountRadio))->isChecked();
}

void CNewAccountDlg::SetVisible(std::initializer_list<int> ids, bool visible) {
    for (const int id : ids) {
        Control(id)->setVisible(visible);
    }
}

AssistantForm CNewAccountDlg::Form() const {
    AssistantForm form;
    form.Registering = Registering();
    form.AccountName = Edit(AccountNameEdit)->text().toStdString();
    form.Password = Edit(PasswordEdit)->text().toStdString();
    form.NewEmail = Edit(NewEmailEdit)->text().toStdString();
    form.NewComputerName = Edit(NewComputerNameEdit)->text().toStdString();
    form.ComputerChosen = !computers_->isHidden() && computers_->currentIndex() >= 0;
    return form;
}

void CNewAccountDlg::OfferOkAgain() {
    // Only ever switches OK on: a fresh registration page offers it before anything is typed.
    QPushButton* ok = Button(Ok);
    if (pageCounter_ > 0 && !accepted_ && !ok->isEnabled() && Form().ReadyToSend()) {
        ok->setEnabled(true);
        ChooseDefaultButton();
    }
}

void CNewAccountDlg::LabelExitGoBack() {
    Button(ExitGoBack)
        ->setText(pageCounter_ == 0 ? QStringLiteral("Exit") : QStringLiteral("Go Back"));
}

void CNewAccountDlg::ChooseDefaultButton() {
    QPushButton* choice = Button(Ok);
    if (pageCounter_ == 0) {
        choice = Button(ContinueButton);
    } else if (!Registering() && !Control(CheckComputerNames)->isHidden() &&
               computers_->isHidden()) {
        choice = Button(CheckComputerNames);
    }
    for (const int id : {ContinueButton, CheckComputerNames, Ok}) {
        Button(id)->setDefault(Button(id) == choice);
    }
}

// --- Pages --------------------------------------------------------------------------------

void CNewAccountDlg::OnContinue() {
    QPushButton* ok = Button(Ok);
    SetVisible({ContinueButton, WelcomeText, GetStartedText, ExistingAccountRadio, NewAccountRadio},
               false);
    if (!Registering()) {
        SetVisible({LoginText, AccountNameLabel, AccountNameEdit, PasswordLabel, PasswordEdit},
                   true);
        Control(CheckComputerNames)->setVisible(true);
        Control(CheckComputerNames)->setEnabled(true);
        ok->setVisible(true);
        ok->setText(QStringLiteral("Login"));
    } else {
        SetVisible({RegisterText, AccountNameLabel, AccountNameEdit, PasswordLabel, PasswordEdit,
                    NewEmailLabel, NewEmailEdit, NewComputerNameLabel, NewComputerNameEdit},
                   true);
        ok->setVisible(true);
        ok->setEnabled(true);
        ok->setText(QStringLiteral("Register"));
    }
    status_->setVisible(false);
    Control(AccountNameEdit)->setFocus();
    ++pageCounter_;
    LabelExitGoBack();
    ChooseDefaultButton();
}

void CNewAccountDlg::OnExitGoBack() {
    if (pageCounter_ == 0) {
        if (discardState_) {
            discardState_();
        }
        reject();
        return;
    }
    SetVisible({ContinueButton, WelcomeText, GetStartedText, ExistingAccountRadio, NewAccountRadio},
               true);
    SetVisible({RegisterText, LoginText, AccountNameLabel, AccountNameEdit, PasswordLabel,
                PasswordEdit, NewEmailLabel, NewEmailEdit, NewComputerNameLabel,
                NewComputerNameEdit, CheckComputerNames, ComputerList, ComputerListLabel, Ok},
               false);
    Button(Ok)->setEnabled(false);
    status_->setVisible(false);
    Control(ContinueButton)->setFocus();
    pageCounter_ = 0;
    LabelExitGoBack();
    ChooseDefaultButton();
}

void CNewAccountDlg::OnProxyDetails() {
    CProxyInfo proxy(user_, this);
    proxy.Host = proxyHost_;
    proxy.User = proxyUser_;
    proxy.Password = proxyPassword_;
    proxy.Port = static_cast<std::uint32_t>(proxyPort_);
    proxy.UseAuthentication = proxyAuthentication_;
    proxy.UseProxy = proxyGiven_;
    if (proxy.exec() == QDialog::Accepted) {
        proxyHost_ = proxy.Host;
        proxyUser_ = proxy.User;
        proxyPassword_ = proxy.Password;
        proxyPort_ = static_cast<std::int32_t>(proxy.Port);
        proxyAuthentication_ = proxy.UseAuthentication;
        proxyGiven_ = proxy.UseProxy;
    } else {
        proxyGiven_ = 0;
    }
}

void CNewAccountDlg::OnAccountFieldEdited() {
    // Only the login page has the button; the registration page needs no computer list.
    const bool loginPage = pageCounter_ > 0 && !Registering();
    if (missingFields_ > 0 && loginPage) {
        Control(CheckComputerNames)->setVisible(true);
        Control(CheckComputerNames)->setEnabled(true);
        ChooseDefaultButton();
    }
}

// --- Requests -----------------------------------------------------------------------------

void CNewAccountDlg::PrepareRequest() {
    request_.reset();
    request_ = std::make_unique<Communication>(newRequestContext_());
    request_->ClearResults();
    if (proxyGiven_ != 0 && !proxyHost_.empty()) {
        request_->SetProxy(proxyHost_, proxyPort_, proxyAuthentication_, proxyUser_,
                           proxyPassword_);
    }
}

void CNewAccountDlg::OnCheckComputerNames() {
    QWidget* check = Control(CheckComputerNames);
    check->setVisible(false);
    PrepareRequest();
    ReadDataFromControls();
    if (accountName_.empty() || password_.empty()) {
        SetStatus(FillOutAllFields);
        ++missingFields_;
        check->setEnabled(false);
        check->setVisible(true);
        ChooseDefaultButton();
        return;
    }
    SetStatus(WaitingForConnection);
    request_->FetchComputerList(*this, accountName_, password_);
    // The list on success, the button again on a failure.
    ChooseDefaultButton();
}

void CNewAccountDlg::OnOk() {
    QPushButton* ok = Button(Ok);
    ok->setEnabled(false);
    ++pageCounter_;
    LabelExitGoBack();
    const bool registering = Registering();

    if (!accepted_) {
        PrepareRequest();
        ReadDataFromControls();
        const AssistantForm form = Form();
        if (!form.FieldsFilled()) {
            SetStatus(FillOutAllFields);
        } else if (registering) {
            SetStatus(WaitingForConnection);
            request_->RegisterAccount(*this, accountName_, newComputerName_, password_, newEmail_);
        } else if (computers_->currentIndex() < 0) {
            SetStatus(SelectAComputer);
        } else {
            chosenComputerName_ = computers_->currentText().toStdString();
            SetStatus(WaitingForConnection);
            request_->FetchAccountInfo(*this, accountName_, chosenComputerName_, password_);
        }
    }

    if (!accepted_ || !request_) {
        // Refused: the page stays, and OK comes back once the fields allow another attempt.
        OfferOkAgain();
        return;
    }
    if (registering) {
        chosenComputerName_ = newComputerName_;
        emailResult_ = newEmail_;
        tokenResult_ = request_->TokenResult;
        userId_ = request_->UserIdResult;
        totalKeys_ = 0;
        totalClicks_ = 0;
        rank_ = 0;
    } else {
        emailResult_ = request_->EmailResult;
        tokenResult_ = request_->TokenResult;
        totalKeys_ = request_->TotalKeysResult;
        totalClicks_ = request_->TotalClicksResult;
        userId_ = request_->UserIdResult;
        rank_ = request_->RankResult;
    }
    request_.reset();
    ReadDataFromControls();
    accept();
}

AcceptedAccount CNewAccountDlg::Result() const {
    AcceptedAccount account;
    account.UserName = accountName_;
    account.ComputerName = chosenComputerName_;
    account.Password = password_;
    account.Email = emailResult_;
    account.Token = tokenResult_;
    account.TotalKeys = totalKeys_;
    account.TotalClicks = totalClicks_;
    account.UserID = userId_;
    account.Rank = rank_;
    account.ProxyHost = proxyHost_;
    account.ProxyUser = proxyUser_;
    account.ProxyPass = proxyPassword_;
    account.ProxyPort = proxyPort_;
    account.ProxyUse = proxyGiven_;
    account.ProxyAuth = proxyAuthentication_;
    return account;
}

// --- What the account requests report into ------------------------------------------------

void CNewAccountDlg::SetStatus(const std::string& text) {
    statusText_ = text;
    status_->setText(Text(text));
    // Hidden and shown again so that it repaints over the background.
    status_->setVisible(false);
    status_->setVisible(true);
}

void CNewAccountDlg::ClearStatus() {
    statusText_.clear();
    status_->clear();
    status_->setVisible(false);
}

void CNewAccountDlg::ShowControl(AssistantControl control, bool show) {
    Control(static_cast<int>(control))->setVisible(show);
}

void CNewAccountDlg::EnableControl(AssistantControl control, bool enable) {
    Control(static_cast<int>(control))->setEnabled(enable);
}

void CNewAccountDlg::SetControlText(AssistantControl control, const std::string& text) {
    if (QPushButton* button = Button(static_cast<int>(control))) {
        button->setText(Text(text));
    }
}

void CNewAccountDlg::FocusControl(AssistantControl control) {
    Control(static_cast<int>(control))->setFocus();
}

void CNewAccountDlg::SetComputerList(const std::vector<std::string>& names) {
    computers_->clear();
    for (const std::string& name : names) {
        computers_->addItem(Text(name));
    }
    computers_->setMaxVisibleItems(6);
    computers_->setCurrentIndex(names.empty() ? -1 : 0);
}

void CNewAccountDlg::PushDataToControls() {
    Edit(AccountNameEdit)->setText(Text(accountName_));
    Edit(PasswordEdit)->setText(Text(password_));
    // Like a drop-down list's text exchange: select the first entry starting with the text,
    // keeping the selection when none does.
    const int match = computers_->findText(Text(computerComboText_), Qt::MatchStartsWith);
    if (match >= 0) {
        computers_->setCurrentIndex(match);
    }
    Edit(NewComputerNameEdit)->setText(Text(newComputerName_));
    Edit(NewEmailEdit)->setText(Text(newEmail_));
    status_->setText(Text(statusText_));
}

void CNewAccountDlg::ReadDataFromControls() {
    accountName_ = Edit(AccountNameEdit)->text().toStdString();
    password_ = Edit(PasswordEdit)->text().toStdString();
    computerComboText_ = computers_->currentText().toStdString();
    newComputerName_ = Edit(NewComputerNameEdit)->text().toStdString();
    newEmail_ = Edit(NewEmailEdit)->text().toStdString();
    statusText_ = status_->text().toStdString();
}

// --- Window -------------------------------------------------------------------------------

void CNewAccountDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
    QDialog::paintEvent(event);
}

void CNewAccountDlg::closeEvent(QCloseEvent* event) {
    // The close box is greyed: the window manager's close does nothing either.
    event->ignore();
}

void CNewAccountDlg::done(int result) {
    request_.reset();
    QDialog::done(result);
}
