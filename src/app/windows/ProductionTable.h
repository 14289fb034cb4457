#pragma once

#include "production/ReportRow.h"

#include <QTreeWidget>

// The rows of the production record in the Production window, one line each: time of the scan,
// station, program, field, mirrored, sizes, outcome, duration, hold and message. Failed and
// refused rows stand out as refused scans do in the scan history (red, bold, warning sign),
// aborted and unknown ones as doubtful scans do (amber); waiting and cleared lines are grey.
class ProductionTable : public QTreeWidget {
    Q_OBJECT
public:
    enum class Mark { Normal, Refused, Doubtful, Greyed };

    explicit ProductionTable(QWidget* parent = nullptr);

    void Show(const QList<ReportRow>& rows);
    Mark RowMark(int row) const;

    // "1:02:03" or "4:05" (minutes and seconds).
    static QString DurationText(qint64 ms);
};
