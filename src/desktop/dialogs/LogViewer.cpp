#include "desktop/dialogs/LogViewer.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "desktop/dialogs/EnterForDefaultButton.h"
#include "ports/UserPort.h"

CLogViewer::CLogViewer(LogFile log, const char* caption, UserPort& user, QWidget* parent)
    : QDialog(parent),
      log_(std::move(log)),
      userPort_(user),
      list_(new QTreeWidget),
      close_(new QPushButton("&Close")),
      empty_(new QPushButton("&Empty Log")),
      refresh_(new QPushButton("&Refresh")) {
    setWindowTitle(caption);
    list_->setColumnCount(1);
    list_->setHeaderLabels({"Message"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->setStretchLastSection(true);
    list_->setMinimumSize(list_->fontMetrics().averageCharWidth() * 70,
                          list_->fontMetrics().height() * 16);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(empty_, QDialogButtonBox::ActionRole);
    buttons->addButton(refresh_, QDialogButtonBox::ActionRole);
    buttons->addButton(close_, QDialogButtonBox::RejectRole);
    close_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);

    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(empty_, &QPushButton::clicked, this, &CLogViewer::OnEmpty);
    connect(refresh_, &QPushButton::clicked, this, &CLogViewer::Fill);
    // Enter closes, whatever has the focus, and the focus starts on the list: "&Empty Log"
    // destroys the log and is pressed only on purpose.
    LeaveEnterToDefaultButton(*this);
    list_->setFocus();
    Fill();

    // Opens wide enough for the longest row as far as the screen allows, so that a skeld's
    // line shows whole; the list scrolls sideways only beyond that.
    const QMargins margins = layout->contentsMargins();
    const int needed = widestRow_ + list_->fontMetrics().averageCharWidth() * 2 +
                       2 * list_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                       margins.left() + margins.right();
    const int available = screen()->availableGeometry().width() * 9 / 10;
    const QSize hint = sizeHint();
    resize(std::max(hint.width(), std::min(needed, available)), hint.height());
}

void CLogViewer::Fill() {
    list_->clear();
    QList<QTreeWidgetItem*> rows;
    int widest = 0;
    for (const std::string& row : log_.ReadRows()) {
        const QString text = QString::fromLocal8Bit(row);
        widest = std::max(widest, list_->fontMetrics().horizontalAdvance(text));
        rows.append(new QTreeWidgetItem(QStringList{text}));
    }
    list_->addTopLevelItems(rows);
    widestRow_ = widest;
    // The column fills the list and grows past it for long rows, which then scroll sideways
    // instead of being cut short.
    list_->header()->setMinimumSectionSize(widest + list_->fontMetrics().averageCharWidth() * 2);
}

void CLogViewer::OnEmpty() {
    std::string error;
    const bool emptied = log_.Empty(&error);
    Fill();
    if (emptied) {
        userPort_.ShowMessage(ClearedMessage, UserPort::Icon::Information);
    } else {
        userPort_.ShowMessage("The log could not be emptied:\n\n" + error);
    }
}
