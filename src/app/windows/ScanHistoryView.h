#pragma once

#include <QTreeWidget>

class ScanHistory;

// The scan history in the main window, newest first: time, what arrived, what became of it. A
// refused or failed scan stands out (a warning sign and red text); long texts are cut to the
// column and whole in the tool tip.
class ScanHistoryView : public QTreeWidget {
    Q_OBJECT
public:
    ScanHistoryView(const ScanHistory& history, QWidget* parent = nullptr);

    // Whether the row (0 newest) shows a refusal.
    bool IsMarkedRefused(int row) const;

private:
    void Refresh();

    const ScanHistory& history_;
};
