#include "app/windows/ScanHistoryView.h"

#include "app/windows/RowMarks.h"

#include <QHeaderView>
#include <QPixmap>
#include <QStyle>

#include <algorithm>

namespace {
enum Column { Time, Arrived, Became, ColumnCount };
constexpr int MarkRole = Qt::UserRole + 1;
// An entry is found again after a refresh by these, so the operator's selection holds while
// scans come in above it.
constexpr int TimeRole = Qt::UserRole + 2;

QString arrivedText(const ScanHistory::Entry& entry)
{
    switch (entry.origin) {
    case ScanHistory::Origin::Scanned:
    case ScanHistory::Origin::Restart:
        break;
    case ScanHistory::Origin::Typed:
        return QStringLiteral("typed: %1").arg(entry.arrived);
    case ScanHistory::Origin::Button:
        return QStringLiteral("button: %1").arg(entry.arrived);
    case ScanHistory::Origin::Machine:
        return QStringLiteral("machine");
    }
    return entry.arrived;
}

QString markText(ScanHistory::Mark mark)
{
    switch (mark) {
    case ScanHistory::Mark::Normal:
        break;
    case ScanHistory::Mark::Doubtful:
        return QStringLiteral(" — doubtful: will not run as meant");
    case ScanHistory::Mark::Refused:
        return QStringLiteral(" — refused or failed");
    }
    return QString();
}
} // namespace

ScanHistoryView::ScanHistoryView(const ScanHistory& history, QWidget* parent) : QTreeWidget(parent), history_(history)
{
    setObjectName(QStringLiteral("lstHistory"));
    setColumnCount(ColumnCount);
    setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Scan"), QStringLiteral("What became of it")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideRight);
    // A keyboard-style scanner types into the label entry, never here.
    setFocusPolicy(Qt::NoFocus);
    // Set once, for the widest time with its sign, so that no scan makes the columns move.
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(Time, QHeaderView::Interactive);
    header()->setSectionResizeMode(Arrived, QHeaderView::Interactive);
    const int sign = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    setColumnWidth(Time, sign + fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + fontMetrics().averageCharWidth() * 3);
    setColumnWidth(Arrived, fontMetrics().averageCharWidth() * 22);
    connect(&history_, &ScanHistory::Changed, this, &ScanHistoryView::Refresh);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &ScanHistoryView::picked);
    Refresh();
}

bool ScanHistoryView::IsMarkedRefused(int row) const
{
    return RowMark(row) == ScanHistory::Mark::Refused;
}

ScanHistory::Mark ScanHistoryView::RowMark(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? static_cast<ScanHistory::Mark>(item->data(Time, MarkRole).toInt()) : ScanHistory::Mark::Normal;
}

void ScanHistoryView::picked()
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    picked_ = !selected.isEmpty();
    if (picked_) {
        pickedTime_ = selected.first()->data(Time, TimeRole).toDateTime();
        pickedArrived_ = selected.first()->text(Arrived);
    }
    Q_EMIT DetailChanged(DetailText());
}

qsizetype ScanHistoryView::pickedRow() const
{
    const QList<ScanHistory::Entry>& entries = history_.Entries();
    for (qsizetype row = 0; picked_ && row < entries.size(); ++row) {
        if (entries[row].time == pickedTime_ && arrivedText(entries[row]) == pickedArrived_)
            return row;
    }
    return -1;
}

const ScanHistory::Entry* ScanHistoryView::detailEntry() const
{
    const QList<ScanHistory::Entry>& entries = history_.Entries();
    const qsizetype row = std::max<qsizetype>(pickedRow(), 0);
    return row < entries.size() ? &entries[row] : nullptr;
}

QString ScanHistoryView::DetailText() const
{
    const ScanHistory::Entry* entry = detailEntry();
    if (!entry)
        return QString();
    QStringList lines{QStringLiteral("%1  %2%3")
                          .arg(entry->time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), arrivedText(*entry),
                               markText(entry->mark))};
    // The reasons first, so that they are seen without scrolling; then the rest in order.
    for (const QString& reason : entry->reasons)
        lines << QStringLiteral("⚠ %1").arg(reason);
    for (const QString& outcome : entry->outcomes) {
        if (!entry->reasons.contains(outcome))
            lines << outcome;
    }
    return lines.join(QLatin1Char('\n'));
}

void ScanHistoryView::Refresh()
{
    QSignalBlocker quiet(this);
    clear();
    const RowMarks::Signs signs(*this);
    const QIcon& warning = signs.warning;
    const QIcon& noSign = signs.none;
    for (const ScanHistory::Entry& entry : history_.Entries()) {
        const QString arrived = arrivedText(entry);
        const QString became = entry.outcomes.join(QStringLiteral("; "));
        auto* item = new QTreeWidgetItem({entry.time.toString(QStringLiteral("HH:mm:ss")), arrived, became});
        item->setToolTip(Time, entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        item->setToolTip(Arrived, entry.origin == ScanHistory::Origin::Machine ? entry.arrived : arrived);
        item->setToolTip(Became, entry.outcomes.join(QLatin1Char('\n')));
        item->setData(Time, MarkRole, static_cast<int>(entry.mark));
        item->setData(Time, TimeRole, entry.time);
        if (entry.origin == ScanHistory::Origin::Restart) {
            QFont italic = font();
            italic.setItalic(true);
            for (int column = 0; column < ColumnCount; ++column) {
                item->setFont(column, italic);
                item->setForeground(column, palette().color(QPalette::Disabled, QPalette::Text));
            }
        }
        item->setIcon(Time, noSign);
        if (entry.mark != ScanHistory::Mark::Normal) {
            item->setIcon(Time, warning);
            const bool refused = entry.mark == ScanHistory::Mark::Refused;
            QFont bold = font();
            bold.setBold(refused);
            for (int column = 0; column < ColumnCount; ++column) {
                item->setForeground(column, refused ? RowMarks::RefusedText : RowMarks::DoubtfulText);
                if (!refused)
                    item->setBackground(column, RowMarks::DoubtfulBackground);
                item->setFont(column, bold);
            }
        }
        addTopLevelItem(item);
    }
    // The entry the operator picked stays picked while scans come in above it, until it is
    // dropped at the end.
    const qsizetype row = pickedRow();
    picked_ = row >= 0;
    if (picked_)
        setCurrentItem(topLevelItem(static_cast<int>(row)));
    quiet.unblock();
    Q_EMIT DetailChanged(DetailText());
}
