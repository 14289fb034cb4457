#pragma once

#include "app/ProductionCapture.h"
#include "production/ProductionRecord.h"
#include "app/ScanIntake.h"
#include "app/SerialLink.h"
#include "app/StationSetup.h"
#include "config/Configuration.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListManagerFactory.h"
#include "listmgr/ListManagerLink.h"
#include "listmgr/WorkListManager.h"
#include "platform/FileSearch.h"
#include "platform/SystemClock.h"
#include "scan/ScanProcessing.h"
#include "station/AlertSounds.h"
#include "station/RunState.h"
#include "station/ScanHistoryFile.h"
#include "station/StationState.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class InstanceCounter;
class MessageBoxes;
class Pauser;
class ProductionReader;
class ProcessExit;
class ProductionSink;
class QtSerialPort;
class ScanConsumers;
class SerialPort;
class Sounds;

// The station: everything Tarvex is besides its windows. Built once in main() (and by the
// tests), it owns the configuration, the scanner's port and its link, the scan processing and
// the link to the list manager, and it outlives every window. It runs the start-up, each tick
// of the scan intake and the shutdown, and applies and saves what the operator chooses in the
// windows. Its state is what windows show; it runs the same with none.
class Station : public QObject, private ListManagerFactory {
    Q_OBJECT
public:
    // What the station needs from outside. main() passes the real ones; tests pass fakes.
    struct Services {
        MessageBoxes& boxes;
        InstanceCounter& instances;
        Pauser& pauser;
        ProcessExit& exit;
        QStringList arguments;                      // as the process got them, program name first
        SerialPort* serial = nullptr;               // the scanner's port; none: the real one
        ScanConsumers* consumers = nullptr;         // where scans go; none: the station's own processing
        ListManagerFactory* listManagers = nullptr; // none: the embedded list manager
        Clock* clock = nullptr;                     // none: the system's
        Sounds* sounds = nullptr;                   // none: silent
        ProductionSink* production = nullptr;       // where production records go; none: the station's own, if any
    };

    explicit Station(Services services, QObject* parent = nullptr);
    ~Station() override;

    // The start-up sequence, then the intake timer starts. False when the process was ended
    // (second instance, no window interface, Exit while waiting for the list manager).
    bool Start();
    // One tick of the scanner's timer: a lost or missing scanner is looked for, then the intake runs.
    void Timer1_Timer();
    // The orderly end: the timer stopped, the port closed, the list manager's objects dropped.
    void Shutdown();
    // "E&xit": ends the process at once.
    void Exit();

    // What the operator chose, applied and saved; a value that cannot be saved is reported on
    // the status line and logged, and holds for this run.
    // device, when not empty, becomes the device of the port (section [Ports]).
    void ApplySerialSettings(int port, const QString& settings, const QString& device = QString());
    // The scanner's suffix: applied at once, saved when it changed.
    void ApplyScanSuffix(const ScanSuffix& suffix);
    void SetExclusionMask(const QString& mask);
    // Refusals, doubtful lines and machine faults heard or not; saved as [GESTBCOD] Sound.
    void SetSoundOn(bool on);
    void SaveAutoSelectRules();
    // Writes the keys the setup window changed (after against before), each logged, passwords
    // hidden; the folders hold at once. When one cannot be written, the keys after it are not
    // either, and what the status line says of it comes back (else empty text).
    QString SaveSetup(const StationSetup& before, const StationSetup& after);

    StationState& State() { return state_; }
    Configuration& Config() { return config_; }
    RunState& Run() { return run_; }
    const QString& HelpFile() const { return helpFile_; }
    SerialLink& Link() { return link_; }
    // The device each of the ports 1 to 4 (and the one in use) opens, and the devices present.
    QMap<int, QString> PortDevices() const;
    QStringList PresentSerialDevices() const;
    ScanIntake& Intake() { return intake_; }
    ScanProcessing& Processing() { return processing_; }
    FieldCodeTable& FieldCodes() { return fieldCodes_; }
    ListManagerLink& ListLink() { return listLink_; }
    // The exclusion numbers chosen in the Exclusion Insertion dialog; empty until its first OK.
    const QString& ExclusionMask() const { return exclusionMask_; }
    // Where the Production window reads the record; null while the station keeps none (before
    // start-up, after the shutdown, or when the tests gave a sink of their own).
    ProductionReader* Production() { return production_; }
    // [Production] of ZEM.INI: where the record is kept and under which station's name.
    static ProductionSettings ProductionSettingsOf(const Configuration& config);
    // The message boxes the station shows its questions in, for the windows' own.
    MessageBoxes& Boxes() { return services_.boxes; }

Q_SIGNALS:
    // The list manager was made, for its window to follow.
    void ListManagerCreated(WorkListManager* server);
    // The scanner's port did not open at start-up and an operator is there: a window connected
    // here shows the serial settings dialog, modal, and start-up goes on when it is closed.
    void SettingsWanted();
    // Start-up waits for the list manager's work list (its first answer was not one): a window
    // shows itself now, so that the operator sees what is awaited instead of nothing.
    void ListManagerAwaited();
    // No ZEM.INI was found at start-up and an operator is there: a window connected here offers
    // the setup, modal, and saves it through SaveSetup; start-up goes on when it is closed.
    void SetupWanted();

private:
    // The server start-up connects to: the tests' factory's, else the one ZEM.INI names. Its
    // machine state and faults become the station's.
    std::shared_ptr<ListManager> CreateListManager() override;
    std::shared_ptr<WorkListManager> makeListManager();
    // [ListManager] Server as the file has it, blanks around removed: Embedded, LinuxCNC or None.
    QString listManagerChosen() const;
    void followMachine(WorkListManager* server);
    // Once the settings are read: the production record, and the capture that feeds it the
    // lines, runs and refusals of this station.
    void startProductionRecord();
    // Writes what the record keeps in memory and closes it, at Exit (else the station's end does).
    void closeProductionRecord();
    // The machine as the server reports it now: also each tick, as a failed connection attempt
    // changes what it reports without a signal.
    void refreshMachine();
    // Runs one start-up step; a run-time error is reported and start-up goes on.
    void runStep(const std::function<void()>& step);
    // An option the operator changed is written at once; ShowEd is never kept.
    void saveOption(StationState::Option option, int value);
    // [GESTBCOD] Sound: 0 silences the sounds; missing, empty or 1 leaves them on.
    void readSoundSetting();
    // A setting saved is logged as "setting saved: " and record (when given); one that was not
    // is put on the status line, after warning (when given) in the log. Returns what was shown.
    QString reportSave(bool saved, const QString& record, const QString& what, const QString& warning = QString());

    Services services_;
    StationState state_;
    QTimer Timer1;
    // With a scanner suffix, the port is drained as soon as characters come, not at the next tick.
    QTimer drain_;
    SystemClock systemClock_;
    FileSearch configFiles_;
    Configuration config_;
    RunState run_;
    QString helpFile_;
    FieldCodeTable fieldCodes_;
    std::unique_ptr<QtSerialPort> ownPort_;
    SerialPort& port_;
    SerialLink link_;
    ListManagerLink listLink_;
    ScanProcessing processing_;
    ScanIntake intake_;
    ScanHistoryFile historyFile_;
    std::unique_ptr<Sounds> silence_; // when none were given
    AlertSounds alertSounds_;
    QString exclusionMask_;
    QPointer<WorkListManager> machine_; // the server whose machine state the station keeps
    // The record ZEM.INI names, when no sink was given.
    std::unique_ptr<ProductionRecord> ownProduction_;
    std::unique_ptr<ProductionCapture> capture_; // none without a record
    ProductionReader* production_ = nullptr;
};
