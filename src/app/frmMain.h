#pragma once

#include "app/MainServices.h"
#include "config/Configuration.h"
#include "config/MainView.h"
#include "config/RunState.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListManagerLink.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class ScanConsumers;
class ScanIntake;
class ScanProcessing;
class SerialLink;
class SerialPort;
class MacFlds;
class frmListManager;

// The main window: the operator's whole view of Tarvex. Loading it is the start-up, closing it
// the shutdown. The scan processing sees it only as a MainView.
class frmMain : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit frmMain(MainServices services, QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up sequence. False when the process was ended (second instance, no window interface).
    bool Form_Load();

    // MainView
    void SetStatus(const QString& text) override;
    QString Status() const override;
    bool IsChecked(Box box) const override;
    void SetCheckValue(Box box, int value) override;
    void HideShowEd() override;
    void SetTimerInterval(int milliseconds) override;
    void SetCurrentSettings(const QString& text) override;
    void SetIndicator(int index, bool visible) override;
    void SetAutoFieldSelection(bool visible) override;
    void SetActivity(bool visible, const QString& text) override;
    void Beep() override;

    Configuration& Config() { return config_; }
    RunState& Run() { return run_; }
    const QString& HelpFile() const { return helpFile_; }
    SerialLink& Link() { return *link_; }
    ScanIntake& Intake() { return *intake_; }
    // The scan processing of this run: the program being assembled and the field selection rules.
    ScanProcessing& Processing() { return *processing_; }

    // The exclusion numbers chosen in the Exclusion Insertion dialog; empty until its first OK.
    QString ExclusionMask;
    FieldCodeTable& FieldCodes() { return fieldCodes_; }
    // Which server start-up connects to, and the clock of its wait, can be replaced before Form_Load.
    ListManagerLink& ListLink() { return listLink_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    QCheckBox* checkBox(Box box) const;
    void saveToggle(Box box, const QString& key);
    // Runs one start-up step; a run-time error is reported and start-up goes on.
    void runStep(const std::function<void()>& step);

    void Form_QueryUnload();
    void Form_Unload();
    void Timer1_Timer();

    void AClear_Click();
    void Overwrite_Click();
    void AutoStart_Click();
    void mnuExit_Click();
    void mnuAbout_Click();
    void MnuAutoFld_Click();
    void ExIns_Click();
    void mnuSetttings_Click();
    void cmdEdit_Click();
    void cmdEndEdit_Click();
    void txtEtichetta_KeyReturn();
    void typedLabelDone(bool accepted);
    void mnuListManager_Click();

    MainServices services_;
    Configuration config_;
    RunState run_;
    QString helpFile_;
    std::unique_ptr<SerialPort> ownPort_;
    SerialPort* MSComm1;
    std::unique_ptr<SerialLink> link_;
    std::unique_ptr<ScanIntake> intake_;
    FieldCodeTable fieldCodes_;
    ListManagerLink listLink_;
    std::unique_ptr<ScanProcessing> processing_; // uses the members above

    QCheckBox* AClear;
    QCheckBox* Overwrite;
    QCheckBox* ShowEd;
    QCheckBox* AutoStart;
    QTimer* Timer1;
    QLineEdit* txtEtichetta;
    QPushButton* cmdEdit;
    QPushButton* cmdEndEdit;
    QFrame* picStatusBar;
    QLabel* lblStatusBar;
    QLabel* lblCurSettings;
    QLabel* DSpin;
    std::array<QLabel*, 5> LabID;
    QLabel* LabelAFS;
    QLabel* ExLab;
    frmListManager* listWindow_;
    MacFlds* macFlds_ = nullptr; // made on first use, then only hidden until shutdown

    QMenu* mnuFile;
    QAction* mnuExit;
    QMenu* mnuOptions;
    QAction* mnuSetttings;
    QAction* MnuAutoFld;
    QAction* ExIns;
    QAction* mnuListManager;
    QMenu* mnuHelp;
    QAction* mnuAbout;
};
