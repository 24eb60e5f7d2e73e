#pragma once

#include <QDialog>
#include <string>

#include "persistence/LogFile.h"

class LogRowModel;
class QPushButton;
class QTreeView;
class UserPort;

// A viewer of one of the two logs: its lines as rows of a one-column "Message" list, oldest
// first, with buttons to empty the log and to read it again. It opens at the newest rows and
// reads older ones as the user scrolls up, so a log of any length opens at once. The list is
// a snapshot of the last fill.
class CLogViewer : public QDialog {
    Q_OBJECT

public:
    CLogViewer(LogFile log, const char* caption, UserPort& user, QWidget* parent = nullptr);

    static constexpr const char* ClearedMessage = "Log cleared.";

    QTreeView* List() const { return list_; }
    QPushButton* CloseButton() const { return close_; }
    QPushButton* EmptyButton() const { return empty_; }
    QPushButton* RefreshButton() const { return refresh_; }

private:
    // Reads the log again, from its newest rows.
    void Fill();
    void ShowNewest();
    void OnEmpty();
    // Reads more rows when the list is scrolled to its first or last one.
    void OnScrolled();
    // Lets the column grow for the rows read since.
    void FitColumn(int first, int last);

    const LogFile log_;
    int widestRow_ = 0;  // in pixels, of the rows read so far
    bool reading_ = false;
    bool newestInSight_ = false;  // kept at the bottom of the list
    UserPort& userPort_;
    LogRowModel* model_;
    QTreeView* list_;
    QPushButton* close_;
    QPushButton* empty_;
    QPushButton* refresh_;
};
