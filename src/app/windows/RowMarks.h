#pragma once

#include <QColor>

// The colours rows are marked with in the lists of the windows: refused or failed in red (bold,
// with a warning sign), doubtful in amber on a pale amber ground.
namespace RowMarks {
inline const QColor RefusedText(0xB0, 0x00, 0x20);
inline const QColor DoubtfulText(0x8A, 0x4B, 0x00);
inline const QColor DoubtfulBackground(0xFF, 0xF0, 0xC8);
} // namespace RowMarks
