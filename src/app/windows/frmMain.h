#pragma once

#include "app/windows/frmSetup.h"
#include "station/StationState.h"

#include <QMainWindow>

#include <array>

class ElidedLabel;
class QAction;
class QCheckBox;
class QKeyEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class MacFlds;
class MachineBand;
class ScanHistoryView;
class Station;
class frmHelp;
class frmListManager;
class frmLogViewer;
class frmProduction;

// The main window: the operator's whole view of the station. Loading it runs the station's
// start-up, closing it the shutdown. It shows the station's state and turns the operator's
// clicks into calls on it; the scan processing never sees it.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The station outlives the window.
    explicit frmMain(Station& station, QWidget* parent = nullptr);
    ~frmMain() override;

    // The station's start-up, which starts the scanner's timer. False when the process was
    // ended (second instance, no window interface).
    bool Form_Load();

    // Another start of Tarvex asked for this window: it comes to the front.
    void BringToFront();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    // Shows the state as it is now and follows each change.
    void bindState();
    QCheckBox* checkBox(StationState::Option option) const;
    void toggleClicked(StationState::Option option);
    void showOption(StationState::Option option, int value);
    void showPort(StationState::PortState state, const QString& detail);

    void Form_QueryUnload();
    void Form_Unload();

    void AClear_Click();
    void Overwrite_Click();
    void AutoStart_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void MnuAutoFld_Click();
    void ExIns_Click();
    void mnuSetttings_Click();
    // The setup window: at the first start, or Options → Folders… and Options → Machine
    // control… for a station already set up.
    void runSetup(frmSetup::Pages pages);
    void cmdEdit_Click();
    void cmdEndEdit_Click();
    // Enter, or the scanner's suffix typed: the line in the entry is sent.
    void txtEtichetta_KeyReturn();
    bool endsLine(const QKeyEvent& key) const;
    void typedLabelDone(const QString& label, bool accepted);
    // Back to idle: the entry empty and off, "Edit" ready, "Ready." on the status line.
    void endManualEntry();
    void mnuListManager_Click();
    void mnuSound_Click();
    void mnuGuide_Click();
    void mnuViewLog_Click();
    void mnuProduction_Click();
    // The window's place and size, kept in the user's state folder between runs.
    void restorePlacement();
    void savePlacement();

    Station& station_;

    QCheckBox* AClear;
    QCheckBox* Overwrite;
    QCheckBox* ShowEd;
    QCheckBox* AutoStart;
    QLineEdit* txtEtichetta;
    QPushButton* cmdEdit;
    QPushButton* cmdEndEdit;
    MachineBand* machineBand_;
    QFrame* picStatusBar;
    ElidedLabel* lblStatusBar;
    QLabel* lblCurSettings;
    ScanHistoryView* lstHistory;
    QPlainTextEdit* txtScanDetail;
    QLabel* DSpin;
    std::array<QLabel*, 5> LabID;
    QLabel* LabelAFS;
    QLabel* ExLab;
    frmListManager* listWindow_;
    frmHelp* helpWindow_ = nullptr;       // made on first use
    frmLogViewer* logWindow_ = nullptr;   // made on first use
    frmProduction* productionWindow_ = nullptr; // made on first use
    MacFlds* macFlds_ = nullptr; // made on first use, then only hidden until shutdown
    int typedWaiting_ = 0;        // typed lines sent and not yet answered
    bool lineJustEnded_ = false;  // the last key was the CR of a CR LF that ended a line

    QMenu* mnuFile;
    QAction* mnuExit;
    QMenu* mnuOptions;
    QAction* mnuSetttings;
    QAction* MnuAutoFld;
    QAction* ExIns;
    QAction* mnuListManager;
    QAction* mnuSound;
    QAction* mnuFolders;
    QAction* mnuMachineControl;
    QAction* mnuProduction;
    QMenu* mnuHelp;
    QAction* mnuGuide;
    QAction* mnuViewLog;
    QAction* mnuAbout;
};
