#pragma once

#include <QDialog>
#include <string>

#include "persistence/LogFile.h"

class QPushButton;
class QTreeWidget;
class UserPort;

// A viewer of one of the two logs: its lines as rows of a one-column "Message" list, with
// buttons to empty the log and to read it again. The list is a snapshot of the last fill.
class CLogViewer : public QDialog {
    Q_OBJECT

public:
    CLogViewer(LogFile log, const char* caption, UserPort& user, QWidget* parent = nullptr);

    static constexpr const char* ClearedMessage = "Log cleared.";

    QTreeWidget* List() const { return list_; }
    QPushButton* CloseButton() const { return close_; }
    QPushButton* EmptyButton() const { return empty_; }
    QPushButton* RefreshButton() const { return refresh_; }

private:
    void Fill();
    void OnEmpty();

    const LogFile log_;
    int widestRow_ = 0;  // in pixels, at the last fill
    UserPort& userPort_;
    QTreeWidget* list_;
    QPushButton* close_;
    QPushButton* empty_;
    QPushButton* refresh_;
};
