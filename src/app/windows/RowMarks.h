#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

// The colours rows are marked with in the lists of the windows: refused or failed in red (bold,
// with a warning sign), doubtful in amber on a pale amber ground.
namespace RowMarks {
inline const QColor RefusedText(0xB0, 0x00, 0x20);
inline const QColor DoubtfulText(0x8A, 0x4B, 0x00);
inline const QColor DoubtfulBackground(0xFF, 0xF0, 0xC8);

// The warning sign of a marked row, and an empty one of the same size for the others, so that
// the texts beside them line up.
struct Signs {
    explicit Signs(const QWidget& list)
    {
        warning = list.style()->standardIcon(QStyle::SP_MessageBoxWarning);
        const int side = list.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &list);
        QPixmap empty(side, side);
        empty.fill(Qt::transparent);
        none = QIcon(empty);
    }
    QIcon warning;
    QIcon none;
};
} // namespace RowMarks
