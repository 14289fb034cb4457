#include "listmgr/windows/frmListManager.h"

#include "listmgr/WorkListManager.h"
#include "platform/windows/Screen.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Program, Field, Position, Mirror, SizeX, SizeY, SizeZ, State, Line, ColumnCount };
}

frmListManager::frmListManager(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmListManager"));
    setWindowTitle(QStringLiteral("List Manager"));
    codes_.InitFieldCodeTable();

    lblRunState = new QLabel(this);
    lblRunState->setObjectName(QStringLiteral("lblRunState"));
    lblSetpoints = new QLabel(this);
    lblSetpoints->setObjectName(QStringLiteral("lblSetpoints"));
    lblMachine = new QLabel(this);
    lblMachine->setObjectName(QStringLiteral("lblMachine"));
    lblMachine->setWordWrap(true);
    lstWorkList = new QTableWidget(0, ColumnCount, this);
    lstWorkList->setObjectName(QStringLiteral("lstWorkList"));
    lstWorkList->setHorizontalHeaderLabels({QStringLiteral("Program"), QStringLiteral("Field"), QStringLiteral("Position"),
                                            QStringLiteral("Mirror"), QStringLiteral("X"), QStringLiteral("Y"),
                                            QStringLiteral("Z"), QStringLiteral("State"), QStringLiteral("Line")});
    lstWorkList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstWorkList->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The short columns take what they need, so that the state stays in sight on a small screen.
    lstWorkList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstWorkList->horizontalHeader()->setStretchLastSection(true);

    auto* state = new QHBoxLayout;
    state->addWidget(lblRunState);
    state->addStretch();
    state->addWidget(lblSetpoints);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(state);
    layout->addWidget(lblMachine);
    layout->addWidget(lstWorkList);
    resize(620, 360); // fits a 1280 x 1024 screen at 200 %
    Refresh();
}

void frmListManager::Attach(WorkListManager* server)
{
    if (server_)
        disconnect(server_, nullptr, this, nullptr);
    server_ = server;
    if (server) {
        connect(server, &WorkListManager::Changed, this, &frmListManager::Refresh);
        connect(server, &WorkListManager::VisibleChanged, this, &frmListManager::server_VisibleChanged);
        // Without a list manager the window says so, so the table must follow a dropped server.
        connect(server, &QObject::destroyed, this, &frmListManager::Refresh);
    }
    Refresh();
}

void frmListManager::ShowWindow()
{
    Refresh();
    Screen::BringToFront(*this);
}

void frmListManager::server_VisibleChanged(bool visible)
{
    if (visible)
        ShowWindow();
    else
        hide();
}

void frmListManager::Refresh()
{
    if (!server_) {
        lblRunState->setText(QStringLiteral("Not connected: Tarvex runs without the list manager."));
        lblSetpoints->clear();
        lblMachine->hide();
        lstWorkList->setRowCount(0);
        return;
    }
    lblRunState->setText(QStringLiteral("Run state: ") + server_->RunStateText());
    lblSetpoints->setText(QStringLiteral("Set-points: %1").arg(server_->Setpoints()));
    const QString machine = server_->MachineStateText();
    lblMachine->setText(machine);
    lblMachine->setVisible(!machine.isEmpty());

    const QList<WorkList::Entry>& entries = server_->List().Entries();
    lstWorkList->setRowCount(static_cast<int>(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const WorkList::Entry& entry = entries[row];
        const ListFields& line = entry.fields;
        const QString position = line.Value(171);
        const QString code = codes_.CodeAt(position.toInt());
        const QString state = WorkList::StateNote(entry);
        const QString values[ColumnCount] = {
            line.Value(161),
            code.isEmpty() ? QStringLiteral("?") : code,
            position,
            line.Value(284) == QLatin1String("1") ? QStringLiteral("mirrored") : QStringLiteral("normal"),
            line.Value(168),
            line.Value(169),
            line.Value(170),
            state,
            line.Text()};
        // The line that runs stands out, so the operator finds it in a long list.
        const bool running = entry.state == WorkList::State::Running;
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(values[column]);
            if (running) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            lstWorkList->setItem(row, column, item);
        }
        if (running)
            lstWorkList->scrollToItem(lstWorkList->item(row, 0));
    }
}
