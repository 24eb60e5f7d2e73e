#include "desktop/dialogs/PageFrequencies.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

#include "counting/KeyFrequencyTable.h"
#include "desktop/dialogs/EnterForDefaultButton.h"
#include "ports/Clock.h"
#include "ports/UserPort.h"
#include "text/FormatCount.h"

CPageFrequencies::CPageFrequencies(KeyFrequencyTable& table, KeyFrequencyReport::Figures values,
                                   UserPort& user, const Clock& clock, SendKeyboardImage sendImage,
                                   ChooseSaveFile chooseFile, QWidget* parent)
    : QDialog(parent),
      Values(std::move(values)),
      table_(table),
      userPort_(user),
      clock_(clock),
      sendImage_(std::move(sendImage)),
      chooseFile_(std::move(chooseFile)),
      list_(new QTreeWidget),
      sinceReset_(new QLabel("0")),
      resetDate_(new QLabel("Unknown")),
      keepRecord_(new QCheckBox("Keep record of keystroke frequencies")),
      reset_(new QPushButton("Reset chart")),
      exportHtml_(new QPushButton("Export as HTML")),
      exportXml_(new QPushButton("Export as XML")),
      generateImage_(new QPushButton("Generate Image")),
      close_(new QPushButton("&Close")) {
    setWindowTitle("Key Frequencies");
    // Above other windows, so it stays in sight while the user types to watch the counts.
    setWindowFlag(Qt::WindowStaysOnTopHint);

    list_->setColumnCount(2);
    list_->setHeaderLabels({"Count", "Key"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    list_->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    // Room for a grouped count in the billions.
    list_->setColumnWidth(0, list_->fontMetrics().horizontalAdvance("0,000,000,000") +
                                 list_->fontMetrics().averageCharWidth() * 2);
    list_->header()->setStretchLastSection(true);
    list_->setMinimumHeight(list_->fontMetrics().height() * 16);
    sinceReset_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    keepRecord_->setChecked(Values.KeepRecord);

    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(new QLabel("Chart was last reset on: "));
    dateRow->addWidget(resetDate_, 1);

    auto* group = new QGroupBox("Keystroke Frequencies");
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(list_);
    groupLayout->addWidget(sinceReset_);
    groupLayout->addLayout(dateRow);
    groupLayout->addWidget(keepRecord_);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {reset_, exportHtml_, exportXml_, generateImage_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(close_);
    close_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    connect(close_, &QPushButton::clicked, this, &CPageFrequencies::OnClose);
    connect(reset_, &QPushButton::clicked, this, &CPageFrequencies::OnReset);
    connect(exportXml_, &QPushButton::clicked, this, [this] {
        Export("Key Frequencies.xml", "XML Files (*.xml)",
               KeyFrequencyReport::Xml(table_, rows_.size()));
    });
    connect(exportHtml_, &QPushButton::clicked, this, [this] {
        Export("Key Frequencies.html", "HTML Files (*.html)",
               KeyFrequencyReport::Html(Values, rows_));
    });
    connect(generateImage_, &QPushButton::clicked, this,
            [this] { sendImage_(KeyFrequencyReport::Xml(table_, rows_.size())); });

    Fill();
    ShowResetFigures();
    // Enter closes and the first focus is the list: "Reset chart" comes first in the row of
    // buttons, and neither Enter nor a stray Space may reach it unasked.
    LeaveEnterToDefaultButton(*this);
    list_->setFocus();
}

std::optional<std::string> CPageFrequencies::SaveFileDialog(QWidget* parent,
                                                            const std::string& initialName,
                                                            const std::string& filter) {
    QFileDialog dialog(parent);
    // Holds only the window it belongs to; the tray goes on meanwhile.
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromStdString(filter));
    dialog.selectFile(QString::fromStdString(initialName));
    // No default suffix: a name typed without the extension is used as typed.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front().toStdString();
}

void CPageFrequencies::Fill() {
    list_->clear();
    rows_ = KeyFrequencyReport::Rows(table_);
    QList<QTreeWidgetItem*> items;
    for (const KeyFrequencyReport::Row& row : rows_) {
        auto* item = new QTreeWidgetItem(
            QStringList{QString::fromStdString(row.Count),
                        QString::fromLatin1(row.Key.data(), qsizetype(row.Key.size()))});
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setTextAlignment(1, Qt::AlignCenter);
        items.append(item);
    }
    list_->addTopLevelItems(items);
}

void CPageFrequencies::ShowResetFigures() {
    sinceReset_->setText(QString::fromStdString(" Keystrokes since last reset: " +
                                                FormatCount(Values.KeysSinceLastReset)));
    resetDate_->setText(QString::fromStdString(KeyFrequencyReport::ResetDate(Values.LastReset)));
}

void CPageFrequencies::OnReset() {
    if (!userPort_.AskYesNo(ResetQuestion, UserPort::Icon::Question, UserPort::EnterAnswers::No)) {
        return;
    }
    table_.Clear();
    Values.LastReset = clock_.Now();
    Values.KeysSinceLastReset = 0;
    ShowResetFigures();
    Fill();
    emit ChartReset(Values.LastReset);
}

void CPageFrequencies::OnClose() {
    Values.KeepRecord = keepRecord_->isChecked();
    accept();
}

void CPageFrequencies::Export(const char* initialName, const char* filter,
                              const std::string& text) {
    const std::optional<std::string> file =
        chooseFile_ ? chooseFile_(initialName, filter) : SaveFileDialog(this, initialName, filter);
    if (!file) {
        return;
    }
    std::string error;
    if (!KeyFrequencyReport::WriteExport(*file, text, &error)) {
        userPort_.ShowMessage("Could not open file:\n\n " + *file + "\n\n" + error);
    }
}
