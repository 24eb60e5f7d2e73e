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
// the keyboard-image request. The opener fills `Values`, hears of a reset of the chart at once
// (ChartReset: keys typed later while the dialog is open count as usual) and reads back
// KeepRecord however the dialog ends; only "&Close" takes the check box into KeepRecord.
class CPageFrequencies final : public QDialog {
    Q_OBJECT

public:
    // Asks where to save an export: (initial file name, filter) to the chosen path, or nothing
    // when cancelled.
    using ChooseSaveFile = std::function<std::optional<std::string>(const std::string& initialName,
                                                                    const std::string& filter)>;
    // Sends the XML text for a keyboard image, to the end of the exchange.
    using SendKeyboardImage = std::function<void(const std::string& xml)>;

    // Without `chooseFile`, the desktop's save dialog above this one asks (SaveFileDialog).
    CPageFrequencies(KeyFrequencyTable& table, KeyFrequencyReport::Figures values, UserPort& user,
                     const Clock& clock, SendKeyboardImage sendImage,
                     ChooseSaveFile chooseFile = {}, QWidget* parent = nullptr);

    // The desktop's save dialog, a child of `parent`: overwriting asked, no extension added to a
    // typed name.
    static std::optional<std::string> SaveFileDialog(QWidget* parent,
                                                     const std::string& initialName,
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

signals:
    // The user reset the chart: the keys since the last reset start again from 0 at `lastReset`.
    void ChartReset(qint64 lastReset);

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
