#pragma once

#include <QDialog>
#include <QPixmap>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ports/SetupAssistantPort.h"
#include "server/AccountTakeOver.h"
#include "server/AssistantForm.h"
#include "server/RequestContext.h"

class Communication;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UserPort;

// The setup assistant: the user logs in to an existing account (name and password, then one of
// the account's computer names) or registers a new one. Closes with OK once the server accepted
// an account; Result() then holds what the application takes over.
class CNewAccountDlg final : public QDialog, public SetupAssistantPort {
    Q_OBJECT

public:
    // The dialog's controls, by their resource ids.
    enum ControlId : int {
        Ok = 1,
        NewAccountRadio = 1003,
        CheckComputerNames = 1008,
        AccountNameEdit = 1011,
        PasswordEdit = 1013,
        NewEmailEdit = 1017,
        ProxyDetails = 1029,
        ExitGoBack = 1136,
        ExistingAccountRadio = 1137,
        NewComputerNameEdit = 1151,
        StatusLine = 1173,
        ComputerList = 1174,
        ComputerListLabel = 1175,
        NewComputerNameLabel = 1178,
        ContinueButton = 1182,
        AccountNameLabel = 1183,
        PasswordLabel = 1184,
        WelcomeText = 1185,
        GetStartedText = 1186,
        NewEmailLabel = 1187,
        LoginText = 1189,
        RegisterText = 1190,
    };

    static constexpr const char* Caption = "Kestrovin Setup Assistant";
    static constexpr const char* FillOutAllFields = "Please fill out all the fields!";
    static constexpr const char* SelectAComputer = "Please select a Computer!";
    static constexpr const char* WaitingForConnection = "Waiting for connection...";

    // `newRequestContext` gives the context of each request; `discardState` runs when the user
    // leaves from the start page with "Exit" (nothing is to be saved from then on).
    CNewAccountDlg(std::function<RequestContext()> newRequestContext, UserPort& user,
                   std::function<void()> discardState, QWidget* parent = nullptr);
    ~CNewAccountDlg() override;

    // What the application takes over after OK.
    AcceptedAccount Result() const;

    QWidget* Control(int id) const;
    QPushButton* Button(int id) const;
    QLineEdit* Edit(int id) const;
    QComboBox* ComputerCombo() const { return computers_; }
    int PageCounter() const { return pageCounter_; }
    int MissingFieldsCounter() const { return missingFields_; }

    // Where the window goes on a screen of that geometry: a third in from the top left, moved
    // back so that the whole window is on the available part of the screen.
    static QPoint PlacedOnScreen(const QRect& screen, const QRect& available, const QSize& window);

    // SetupAssistantPort
    void SetStatus(const std::string& text) override;
    void ClearStatus() override;
    void SetAccepted() override { accepted_ = true; }
    void ShowControl(AssistantControl control, bool show) override;
    void EnableControl(AssistantControl control, bool enable) override;
    void SetControlText(AssistantControl control, const std::string& text) override;
    void FocusControl(AssistantControl control) override;
    void SetComputerList(const std::vector<std::string>& names) override;
    void PushDataToControls() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void CreateControls();
    // Sizes the window once for the tallest of its pages at the user's font.
    void FitEveryPage();
    void OnContinue();
    void OnExitGoBack();
    void OnProxyDetails();
    void OnAccountFieldEdited();
    void OnCheckComputerNames();
    void OnOk();
    void PrepareRequest();
    void ReadDataFromControls();
    void SetVisible(std::initializer_list<int> ids, bool visible);
    bool Registering() const;
    // The page's fields as the assistant's rules see them.
    AssistantForm Form() const;
    // After a refusal: OK sends again as soon as the page's fields allow it.
    void OfferOkAgain();
    // "Exit" on the start page, "Go Back" wherever the button goes back.
    void LabelExitGoBack();
    // Enter presses what moves the page on: "Continue" on the start page, "Check for Computer
    // Names" on a login page without a computer list, the OK button otherwise.
    void ChooseDefaultButton();

    std::function<RequestContext()> newRequestContext_;
    UserPort& user_;
    std::function<void()> discardState_;
    std::unique_ptr<Communication> request_;  // the current attempt's
    std::map<int, QWidget*> controls_;
    QComboBox* computers_ = nullptr;
    QLabel* status_ = nullptr;
    QPixmap background_;

    // Proxy details from the proxy dialog.
    std::string proxyHost_;
    std::string proxyUser_;
    std::string proxyPassword_;
    std::int32_t proxyPort_ = 0;
    std::int32_t proxyGiven_ = 0;
    std::int32_t proxyAuthentication_ = 0;

    bool accepted_ = false;
    std::string accountName_;
    std::string chosenComputerName_;
    std::string password_;
    std::string emailResult_;
    std::string tokenResult_;
    std::string computerComboText_;
    std::string newEmail_;
    std::string newComputerName_;
    std::int32_t totalKeys_ = 0;
    std::int32_t totalClicks_ = 0;
    std::int32_t userId_ = 0;
    std::int32_t rank_ = 0;
    std::string statusText_;

    // The assistant is made once per run, so these last as long as the program.
    int pageCounter_ = 0;
    int missingFields_ = 0;
};
