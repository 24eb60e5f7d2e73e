#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reports/KeyFrequencyReport.h"

class Clock;
class KeyFrequencyTable;
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class UserPort;

// "Key Frequencies": the per-key tally sorted by count, its reset, its XML and HTML exports and
// the keyboard-image request. The opener fills `Values` and reads back KeepRecord,
// KeysSinceLastReset and LastReset however the dialog ends; only "&Close" takes the check box
// into KeepRecord.
class CPageFrequencies final : public QDialog {
    Q_OBJECT

public:
    // Asks where to save an export: (initial file name, filter) to the chosen path, or nothing
    // when cancelled.
    using ChooseSaveFile = std::function<std::optional<std::string>(const std::string& initialName,
                                                                    const std::string& filter)>;
    // Sends the XML text for a keyboard image, to the end of the exchange.
    using SendKeyboardImage = std::function<void(const std::string& xml)>;

    CPageFrequencies(KeyFrequencyTable& table, KeyFrequencyReport::Figures values, UserPort& user,
                     const Clock& clock, SendKeyboardImage sendImage,
                     ChooseSaveFile chooseFile = SaveFileDialog, QWidget* parent = nullptr);

    // Runs the dialog modally unless `open` says one is open already; `open` is set while it
    // runs, however it ends. The values as the dialog left them, or nothing when it did not run.
    static std::optional<KeyFrequencyReport::Figures> RunOnce(bool& open, KeyFrequencyTable& table,
                                                              KeyFrequencyReport::Figures values,
                                                              UserPort& user,
                                                              SendKeyboardImage sendImage);

    // The desktop's save dialog: overwriting asked, no extension added to a typed name.
    static std::optional<std::string> SaveFileDialog(const std::string& initialName,
                                                     const std::string& filter);

    static constexpr const char* ResetQuestion =
        "Do you really wish to reset all your frequency statistics?";

    KeyFrequencyReport::Figures Values;

    QTreeWidget* List() const { return list_; }
    QLabel* SinceResetLabel() const { return sinceReset_; }
    QLabel* ResetDateLabel() const { return resetDate_; }
    QCheckBox* KeepRecordBox() const { return keepRecord_; }
    QPushButton* ResetButton() const { return reset_; }
    QPushButton* ExportHtmlButton() const { return exportHtml_; }
    QPushButton* ExportXmlButton() const { return exportXml_; }
    QPushButton* GenerateImageButton() const { return generateImage_; }
    QPushButton* CloseButton() const { return close_; }

private:
    void Fill();
    void ShowResetFigures();
    void OnReset();
    void OnClose();
    void Export(const char* initialName, const char* filter, const std::string& text);

    KeyFrequencyTable& table_;
    UserPort& userPort_;
    const Clock& clock_;
    const SendKeyboardImage sendImage_;
    const ChooseSaveFile chooseFile_;
    std::vector<KeyFrequencyReport::Row> rows_;

    QTreeWidget* list_;
    QLabel* sinceReset_;
    QLabel* resetDate_;
    QCheckBox* keepRecord_;
    QPushButton* reset_;
    QPushButton* exportHtml_;
    QPushButton* exportXml_;
    QPushButton* generateImage_;
    QPushButton* close_;
};
