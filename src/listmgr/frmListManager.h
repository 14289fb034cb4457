#pragma once

#include "listmgr/FieldCodeTable.h"

#include <QPointer>
#include <QWidget>

class EmbeddedListManager;
class QLabel;
class QTableWidget;

// The embedded list manager's window "List Manager": the work list line by line and the run
// state. The server's Visible shows it, and so does the main window's menu.
class frmListManager : public QWidget {
    Q_OBJECT
public:
    explicit frmListManager(QWidget* parent = nullptr);

    // Follows the server from now on; null shows that Tarvex runs without a list manager.
    void Attach(EmbeddedListManager* server);
    void ShowWindow();

private:
    void Refresh();
    void server_VisibleChanged(bool visible);

    QPointer<EmbeddedListManager> server_;
    FieldCodeTable codes_;
    QLabel* lblRunState;
    QLabel* lblSetpoints;
    QTableWidget* lstWorkList;
};
