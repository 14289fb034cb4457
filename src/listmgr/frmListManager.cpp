#include "listmgr/frmListManager.h"

#include "listmgr/EmbeddedListManager.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Program, Field, Position, Mirror, SizeX, SizeY, SizeZ, Line, ColumnCount };
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
    lstWorkList = new QTableWidget(0, ColumnCount, this);
    lstWorkList->setObjectName(QStringLiteral("lstWorkList"));
    lstWorkList->setHorizontalHeaderLabels({QStringLiteral("Program"), QStringLiteral("Field"), QStringLiteral("Position"),
                                            QStringLiteral("Mirror"), QStringLiteral("X"), QStringLiteral("Y"),
                                            QStringLiteral("Z"), QStringLiteral("Line")});
    lstWorkList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstWorkList->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstWorkList->horizontalHeader()->setStretchLastSection(true);

    auto* state = new QHBoxLayout;
    state->addWidget(lblRunState);
    state->addStretch();
    state->addWidget(lblSetpoints);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(state);
    layout->addWidget(lstWorkList);
    resize(760, 360);
    Refresh();
}

void frmListManager::Attach(EmbeddedListManager* server)
{
    if (server_)
        disconnect(server_, nullptr, this, nullptr);
    server_ = server;
    if (server) {
        connect(server, &EmbeddedListManager::Changed, this, &frmListManager::Refresh);
        connect(server, &EmbeddedListManager::VisibleChanged, this, &frmListManager::server_VisibleChanged);
        // Without a list manager the window says so, so the table must follow a dropped server.
        connect(server, &QObject::destroyed, this, &frmListManager::Refresh);
    }
    Refresh();
}

void frmListManager::ShowWindow()
{
    Refresh();
    show();
    raise();
    activateWindow();
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
        lstWorkList->setRowCount(0);
        return;
    }
    lblRunState->setText(QStringLiteral("Run state: ") + EmbeddedListManager::RunText(server_->State()));
    lblSetpoints->setText(QStringLiteral("Set-points: %1").arg(server_->Setpoints()));

    const QStringList& lines = server_->Lines();
    lstWorkList->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < lines.size(); ++row) {
        const QString& line = lines[row];
        const QString position = EmbeddedListManager::FieldValue(line, 171);
        const QString code = codes_.CodeAt(position.toInt());
        const QString values[ColumnCount] = {
            EmbeddedListManager::FieldValue(line, 161),
            code.isEmpty() ? QStringLiteral("?") : code,
            position,
            EmbeddedListManager::FieldValue(line, 284) == QLatin1String("1") ? QStringLiteral("mirrored") : QStringLiteral("normal"),
            EmbeddedListManager::FieldValue(line, 168),
            EmbeddedListManager::FieldValue(line, 169),
            EmbeddedListManager::FieldValue(line, 170),
            line};
        for (int column = 0; column < ColumnCount; ++column)
            lstWorkList->setItem(row, column, new QTableWidgetItem(values[column]));
    }
}
