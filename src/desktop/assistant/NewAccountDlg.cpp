#include "desktop/assistant/NewAccountDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "desktop/assistant/AssistantBackground.h"
#include "desktop/dialogs/EnterForDefaultButton.h"
#include "desktop/dialogs/ProxyInfo.h"
#include "server/Communication.h"

namespace {

// The smallest size: the window is never smaller than this, whatever the font.
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
    CreateControls();
    FitEveryPage();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(PlacedOnScreen(screen->geometry(), screen->availableGeometry(), size()));
    }
    Button(Ok)->setEnabled(false);
    static_cast<QRadioButton*>(Control(ExistingAccountRadio))->setChecked(true);
    background_ = DrawAssistantBackground(size());
}

CNewAccountDlg::~CNewAccountDlg() = default;

void CNewAccountDlg::CreateControls() {
    // Every control is made here, in the order the eye reads them, which is also the keyboard's
    // order; the layouts below only place them. Each page shows some of them and hides the
    // rest, and a hidden control takes no room.
    auto* frame = new QGroupBox(this);
    // A control goes into its window at once: shown without one, it would be a window itself.
    const auto add = [this, frame](int id, QWidget* control, bool shown = false) {
        const bool button = id == ProxyDetails || id == ExitGoBack || id == Ok;
        control->setParent(button ? static_cast<QWidget*>(this) : frame);
        control->setVisible(shown);
        controls_[id] = control;
        return control;
    };
    const auto text = [](const char* words) {
        auto* control = new QLabel(QString::fromUtf8(words));
        control->setWordWrap(true);
        return control;
    };
    const auto name = [](const char* words) { return new QLabel(QString::fromUtf8(words)); };

    add(WelcomeText,
        text("Welcome to Kestrovin, the only statistics programme you'll ever need. Currently "
             "this programme will help you keep track of your keyboard and mouse usage. Ever "
             "asked yourself 'How much do I type or click in one day?' - Kestrovin will answer "
             "that question!"),
        true);
    add(GetStartedText,
        text("Let's get started. First, we need to set up your Kestrovin account. Please select "
             "the appropriate option and click 'Continue.'"),
        true);
    add(ExistingAccountRadio, new QRadioButton(QStringLiteral("I already have an account")), true);
    add(NewAccountRadio, new QRadioButton(QStringLiteral("I need to register a new account")),
        true);
    add(ContinueButton, new QPushButton(QStringLiteral("Continue")), true);

    add(LoginText,
        text("To login to your existing account, enter your account name and password, click "
             "\"Check for Computer Names\", then choose your computer and click \"Login\"."));
    add(RegisterText,
        text("To get started and register your Kestrovin account, fill out this form then click "
             "\"Register\"."));
    add(AccountNameLabel, name("Account Name:"));
    add(AccountNameEdit, new QLineEdit);
    add(PasswordLabel, name("Password:"));
    auto* password = new QLineEdit;
    password->setEchoMode(QLineEdit::Password);
    add(PasswordEdit, password);
    add(CheckComputerNames, new QPushButton(QStringLiteral("Check for Computer Names")));
    add(NewEmailLabel, name("E-mail:"));
    add(NewEmailEdit, new QLineEdit);
    add(ComputerListLabel, name("Select Computer Name:"));
    computers_ = new QComboBox;
    computers_->setMaxVisibleItems(6);
    add(ComputerList, computers_);
    add(NewComputerNameLabel, name("Computer Name:"));
    add(NewComputerNameEdit, new QLineEdit);
    status_ = new QLabel;
    status_->setAlignment(Qt::AlignCenter);
    status_->setWordWrap(true);
    add(StatusLine, status_);

    add(ProxyDetails, new QPushButton(QStringLiteral("&Proxy Details")), true);
    add(ExitGoBack, new QPushButton(QStringLiteral("Exit")), true);
    auto* ok = new QPushButton(QStringLiteral("Finish"));
    add(Ok, ok);
    // Exit / Go Back keeps its place whether OK shows or not.
    QSizePolicy okPolicy = ok->sizePolicy();
    okPolicy.setRetainSizeWhenHidden(true);
    ok->setSizePolicy(okPolicy);

    auto* radios = new QVBoxLayout;
    radios->setContentsMargins(fontMetrics().height(), 0, 0, 0);
    radios->addWidget(Control(ExistingAccountRadio));
    radios->addWidget(Control(NewAccountRadio));

    auto* fields = new QGridLayout;
    fields->setColumnStretch(1, 1);
    // The fields start at the same place on every page, whichever labels it shows.
    int labelWidth = 0;
    for (const int id : {AccountNameLabel, PasswordLabel, NewEmailLabel, ComputerListLabel,
                         NewComputerNameLabel}) {
        labelWidth = std::max(labelWidth, Control(id)->sizeHint().width());
    }
    fields->setColumnMinimumWidth(0, labelWidth);
    const auto row = [fields](int at, QWidget* label, QWidget* field) {
        if (label != nullptr) {
            fields->addWidget(label, at, 0);
        }
        fields->addWidget(field, at, 1);
    };
    row(0, Control(AccountNameLabel), Control(AccountNameEdit));
    row(1, Control(PasswordLabel), Control(PasswordEdit));
    row(2, nullptr, Control(CheckComputerNames));
    row(3, Control(NewEmailLabel), Control(NewEmailEdit));
    row(4, Control(ComputerListLabel), computers_);
    row(5, Control(NewComputerNameLabel), Control(NewComputerNameEdit));

    auto* continueRow = new QHBoxLayout;
    continueRow->addStretch();
    continueRow->addWidget(Control(ContinueButton));

    auto* page = new QVBoxLayout(frame);
    for (const int id : {WelcomeText, GetStartedText}) {
        page->addWidget(Control(id));
    }
    page->addLayout(radios);
    for (const int id : {LoginText, RegisterText}) {
        page->addWidget(Control(id));
    }
    page->addLayout(fields);
    page->addStretch();
    page->addWidget(status_);
    page->addLayout(continueRow);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Control(ProxyDetails));
    buttons->addStretch();
    buttons->addWidget(Control(ExitGoBack));
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addLayout(buttons);

    // The keyboard goes the way the controls were made, across the frame and the button row.
    QWidget* previous = nullptr;
    for (const int id : {WelcomeText,          GetStartedText,
                         ExistingAccountRadio, NewAccountRadio,
                         ContinueButton,       LoginText,
                         RegisterText,         AccountNameLabel,
                         AccountNameEdit,      PasswordLabel,
                         PasswordEdit,         CheckComputerNames,
                         NewEmailLabel,        NewEmailEdit,
                         ComputerListLabel,    ComputerList,
                         NewComputerNameLabel, NewComputerNameEdit,
                         StatusLine,           ProxyDetails,
                         ExitGoBack,           Ok}) {
        QWidget* control = Control(id);
        if (control->focusPolicy() == Qt::NoFocus) {
            continue;
        }
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, control);
        }
        previous = control;
    }

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

void CNewAccountDlg::FitEveryPage() {
    // Wide enough for the welcome text in a few lines at the user's font, and as high as the
    // tallest page at that width, so that the window keeps its size from page to page.
    const int width = std::max(kWidth, fontMetrics().averageCharWidth() * 66);
    const std::vector<std::vector<int>> pages = {
        {WelcomeText, GetStartedText, ExistingAccountRadio, NewAccountRadio, ContinueButton},
        {LoginText, AccountNameLabel, AccountNameEdit, PasswordLabel, PasswordEdit,
         CheckComputerNames, ComputerListLabel, ComputerList, StatusLine},
        {RegisterText, AccountNameLabel, AccountNameEdit, PasswordLabel, PasswordEdit,
         NewEmailLabel, NewEmailEdit, NewComputerNameLabel, NewComputerNameEdit, StatusLine}};
    std::map<int, bool> shown;
    for (const auto& [id, control] : controls_) {
        shown[id] = !control->isHidden();
    }
    // The status line is measured with two lines of text.
    const QString status = status_->text();
    status_->setText(QStringLiteral("\n"));
    int height = kHeight;
    for (const std::vector<int>& page : pages) {
        for (const auto& [id, control] : controls_) {
            control->setVisible(id == ProxyDetails || id == ExitGoBack || id == Ok ||
                                std::find(page.begin(), page.end(), id) != page.end());
        }
        layout()->invalidate();
        const int needed = layout()->totalHeightForWidth(width);
        height = std::max(height, needed > 0 ? needed : layout()->totalSizeHint().height());
    }
    status_->setText(status);
    for (const auto& [id, control] : controls_) {
        control->setVisible(shown[id]);
    }
    setFixedSize(width, height);
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
    ClearStatus();
    // Each page starts empty: what was typed for one page, the hidden password above all,
    // must not end up prefixed to what is typed on the next.
    for (const int id : {AccountNameEdit, PasswordEdit, NewEmailEdit, NewComputerNameEdit}) {
        Edit(id)->clear();
    }
    computers_->clear();
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
    proxy.setWindowModality(Qt::WindowModal);
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
