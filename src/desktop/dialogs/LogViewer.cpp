#include "desktop/dialogs/LogViewer.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "desktop/dialogs/EnterForDefaultButton.h"
#include "desktop/dialogs/LogRowModel.h"
#include "ports/UserPort.h"

CLogViewer::CLogViewer(LogFile log, const char* caption, UserPort& user, QWidget* parent)
    : QDialog(parent),
      log_(std::move(log)),
      userPort_(user),
      model_(new LogRowModel(log_.Path(), this)),
      list_(new QTreeView),
      close_(new QPushButton("&Close")),
      empty_(new QPushButton("&Empty Log")),
      refresh_(new QPushButton("&Refresh")) {
    setWindowTitle(caption);
    list_->setModel(model_);
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
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { FitColumn(first, last); });
    connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, &CLogViewer::OnScrolled);
    // The list is laid out anew when the dialog is shown or resized: the newest rows stay in
    // sight until the user scrolls away from them.
    connect(list_->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
        if (newestInSight_) {
            list_->scrollToBottom();
        }
    });
    // Enter closes, whatever has the focus, and the focus starts on the list: "&Empty Log"
    // destroys the log and is pressed only on purpose.
    LeaveEnterToDefaultButton(*this);
    list_->setFocus();
    ShowNewest();

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
    reading_ = true;
    model_->Reload();
    reading_ = false;
    ShowNewest();
}

void CLogViewer::ShowNewest() {
    widestRow_ = 0;
    FitColumn(0, model_->rowCount() - 1);
    // The newest rows are the last ones: they are what the viewer is opened for.
    reading_ = true;
    list_->scrollToBottom();
    reading_ = false;
    newestInSight_ = true;
}

void CLogViewer::FitColumn(int first, int last) {
    for (int row = first; row <= last; ++row) {
        const QString text = model_->index(row).data().toString();
        widestRow_ = std::max(widestRow_, list_->fontMetrics().horizontalAdvance(text));
    }
    // The column fills the list and grows past it for long rows, which then scroll sideways
    // instead of being cut short.
    list_->header()->setMinimumSectionSize(widestRow_ +
                                           list_->fontMetrics().averageCharWidth() * 2);
}

void CLogViewer::OnScrolled() {
    if (reading_) {
        return;
    }
    const QScrollBar* bar = list_->verticalScrollBar();
    const bool earlier = bar->value() == bar->minimum() && model_->HasEarlier();
    const bool later = bar->value() == bar->maximum() && model_->HasLater();
    newestInSight_ = bar->value() == bar->maximum() && !model_->HasLater();
    if (!earlier && !later) {
        return;
    }
    reading_ = true;
    // The row at the top stays there while rows come and go around it.
    const QPersistentModelIndex top = list_->indexAt(QPoint(0, 0));
    if (earlier) {
        model_->LoadEarlier();
    } else {
        model_->LoadLater();
    }
    if (top.isValid()) {
        list_->scrollTo(top, QAbstractItemView::PositionAtTop);
    }
    reading_ = false;
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
