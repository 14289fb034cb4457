#include "app/windows/ScanHistoryView.h"

#include "station/ScanHistory.h"

#include <QHeaderView>
#include <QStyle>

namespace {
enum Column { Time, Arrived, Became, ColumnCount };
constexpr int RefusedRole = Qt::UserRole + 1;

QString arrivedText(const ScanHistory::Entry& entry)
{
    switch (entry.origin) {
    case ScanHistory::Origin::Scanned:
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
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(Time, QHeaderView::ResizeToContents);
    setColumnWidth(Arrived, fontMetrics().averageCharWidth() * 22);
    connect(&history_, &ScanHistory::Changed, this, &ScanHistoryView::Refresh);
    Refresh();
}

bool ScanHistoryView::IsMarkedRefused(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && item->data(Time, RefusedRole).toBool();
}

void ScanHistoryView::Refresh()
{
    clear();
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const ScanHistory::Entry& entry : history_.Entries()) {
        const QString arrived = arrivedText(entry);
        const QString became = entry.outcomes.join(QStringLiteral("; "));
        auto* item = new QTreeWidgetItem({entry.time.toString(QStringLiteral("HH:mm:ss")), arrived, became});
        item->setToolTip(Arrived, entry.origin == ScanHistory::Origin::Machine ? entry.arrived : arrived);
        item->setToolTip(Became, entry.outcomes.join(QLatin1Char('\n')));
        item->setData(Time, RefusedRole, entry.refused);
        if (entry.refused) {
            item->setIcon(Time, warning);
            QFont bold = font();
            bold.setBold(true);
            for (int column = 0; column < ColumnCount; ++column) {
                item->setForeground(column, QColor(0xB0, 0x00, 0x20));
                item->setFont(column, bold);
            }
        }
        addTopLevelItem(item);
    }
}
