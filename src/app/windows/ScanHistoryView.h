#pragma once

#include "station/ScanHistory.h"

#include <QTreeWidget>

// The scan history in the main window, newest first: time, what arrived, what became of it. A
// refused or failed scan stands out in red, a doubtful one (a line added that will not run as
// meant) in amber, both with a warning sign; long texts are cut to the column and whole in the
// tool tip. The columns keep the widths they were given, whatever the rows hold.
class ScanHistoryView : public QTreeWidget {
    Q_OBJECT
public:
    ScanHistoryView(const ScanHistory& history, QWidget* parent = nullptr);

    // Whether the row (0 newest) shows a refusal.
    bool IsMarkedRefused(int row) const;
    // How the row (0 newest) is marked.
    ScanHistory::Mark RowMark(int row) const;
    // The entry the operator selected, else the newest, whole: its time, what arrived and each
    // outcome on a line of its own. Empty when there is none.
    QString DetailText() const;

Q_SIGNALS:
    // The selected (or newest) entry changed; text as DetailText gives it.
    void DetailChanged(const QString& text);

private:
    void Refresh();
    // The operator selected a row, or none.
    void picked();
    // The row of the entry the operator picked; -1 when none is.
    qsizetype pickedRow() const;
    const ScanHistory::Entry* detailEntry() const;

    const ScanHistory& history_;
    bool picked_ = false;
    QDateTime pickedTime_;
    QString pickedArrived_;
};
