#pragma once

#include "listmgr/FieldCodeTable.h"

#include <QPointer>
#include <QWidget>

class WorkListManager;
class QLabel;
class QTableWidget;

// The list manager's window "List Manager": the work list line by line with each line's state,
// the run state and, when a machine control runs the list, the machine's state. The server's
// Visible shows it, and so does the main window's menu.
class frmListManager : public QWidget {
    Q_OBJECT
public:
    explicit frmListManager(QWidget* parent = nullptr);

    // Follows the server from now on; null shows that Tarvex runs without a list manager.
    void Attach(WorkListManager* server);
    void ShowWindow();

private:
    void Refresh();
    void server_VisibleChanged(bool visible);

    QPointer<WorkListManager> server_;
    FieldCodeTable codes_;
    QLabel* lblRunState;
    QLabel* lblSetpoints;
    QLabel* lblMachine;
    QTableWidget* lstWorkList;
};
