#include "app/windows/ProductionTable.h"

#include "app/windows/RowMarks.h"

#include <QHeaderView>
#include <QPixmap>
#include <QStyle>

namespace {
enum Column { Time, Station, Program, Field, Mirrored, Sizes, Outcome, Duration, Hold, Message, ColumnCount };
constexpr int MarkRole = Qt::UserRole + 1;

ProductionTable::Mark markOf(const QString& outcome)
{
    if (outcome == QLatin1String("failed") || outcome == QLatin1String("refused"))
        return ProductionTable::Mark::Refused;
    if (outcome == QLatin1String("aborted") || outcome == QLatin1String("unknown"))
        return ProductionTable::Mark::Doubtful;
    if (outcome == QLatin1String("waiting") || outcome == QLatin1String("cleared"))
        return ProductionTable::Mark::Greyed;
    return ProductionTable::Mark::Normal;
}

QString sizesText(const ReportRow& row)
{
    if (row.sizeX.isEmpty() && row.sizeY.isEmpty() && row.sizeZ.isEmpty())
        return QString();
    return QStringLiteral("%1×%2×%3").arg(row.sizeX, row.sizeY, row.sizeZ);
}

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}
} // namespace

ProductionTable::ProductionTable(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("lstProduction"));
    setColumnCount(ColumnCount);
    setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Station"), QStringLiteral("Program"), QStringLiteral("Field"),
                     QStringLiteral("Mirrored"), QStringLiteral("Sizes"), QStringLiteral("Outcome"),
                     QStringLiteral("Duration"), QStringLiteral("Hold"), QStringLiteral("Message")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(QHeaderView::Interactive);
}

QString ProductionTable::DurationText(qint64 ms)
{
    const qint64 seconds = (ms + 500) / 1000;
    const QLatin1Char zero('0');
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(seconds / 60 % 60, 2, 10, zero).arg(seconds % 60, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, zero);
}

ProductionTable::Mark ProductionTable::RowMark(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? static_cast<Mark>(item->data(Time, MarkRole).toInt()) : Mark::Normal;
}

void ProductionTable::Show(const QList<ReportRow>& rows)
{
    clear();
    const RowMarks::Signs signs(*this);
    const QIcon& warning = signs.warning;
    const QIcon& noSign = signs.none;
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const ReportRow& row : rows) {
        const bool ran = row.durationMs >= 0;
        const QString field = row.fieldCode.isEmpty() && row.position > 0 ? QString::number(row.position) : row.fieldCode;
        auto* item = new QTreeWidgetItem(QStringList{
            row.scannedAt.toLocalTime().toString(QStringLiteral("HH:mm:ss")),
            row.station,
            row.program.isEmpty() ? row.scanText : row.program,
            field,
            row.outcome == QLatin1String("refused") ? QString() : (row.mirrored ? QStringLiteral("yes") : QStringLiteral("no")),
            sizesText(row),
            row.outcome,
            ran ? DurationText(row.durationMs) : QString(),
            ran && row.holdMs > 0 ? DurationText(row.holdMs) : QString(),
            row.message,
        });
        QStringList when{QStringLiteral("scanned %1").arg(timeText(row.scannedAt))};
        if (row.startedAt.isValid())
            when << QStringLiteral("started %1").arg(timeText(row.startedAt));
        if (row.endedAt.isValid())
            when << QStringLiteral("%1 %2").arg(row.outcome == QLatin1String("cleared") ? QStringLiteral("cleared")
                                                                                         : QStringLiteral("ended"),
                                                timeText(row.endedAt));
        item->setToolTip(Time, when.join(QLatin1Char('\n')));
        item->setToolTip(Program, row.scanText.isEmpty() ? row.program : QStringLiteral("scanned: %1").arg(row.scanText));
        if (row.position > 0)
            item->setToolTip(Field, QStringLiteral("position %1").arg(row.position));
        // The message also where the outcome is, for a window too narrow to show its column.
        item->setToolTip(Outcome, row.message);
        item->setToolTip(Message, row.message);
        const Mark mark = markOf(row.outcome);
        item->setData(Time, MarkRole, static_cast<int>(mark));
        item->setIcon(Time, mark == Mark::Refused || mark == Mark::Doubtful ? warning : noSign);
        QFont bold = font();
        bold.setBold(mark == Mark::Refused);
        for (int column = 0; column < ColumnCount && mark != Mark::Normal; ++column) {
            switch (mark) {
            case Mark::Normal:
                break;
            case Mark::Refused:
                item->setForeground(column, RowMarks::RefusedText);
                item->setFont(column, bold);
                break;
            case Mark::Doubtful:
                item->setForeground(column, RowMarks::DoubtfulText);
                item->setBackground(column, RowMarks::DoubtfulBackground);
                break;
            case Mark::Greyed:
                item->setForeground(column, grey);
                break;
            }
        }
        items << item;
    }
    addTopLevelItems(items);
    // Fitted to what the rows hold (station names are host names of any length); the message
    // takes the rest.
    for (int column = 0; column < Message; ++column)
        resizeColumnToContents(column);
}
