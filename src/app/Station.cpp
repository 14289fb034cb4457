#include "app/Station.h"

#include "app/CommandLineInfo.h"

#include "listmgr/EmbeddedListManager.h"
#include "listmgr/LinuxCncListManager.h"
#include "listmgr/LinuxCncSettings.h"
#include "platform/InstanceCounter.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/Paths.h"
#include "platform/ProcessExit.h"
#include "platform/QtSerialPort.h"
#include "platform/RuntimeError.h"
#include "platform/Sounds.h"
#include "platform/Version.h"
#include "production/ProductionSink.h"
#include "program/CsvTransfer.h"

namespace {
class Silence : public Sounds {
public:
    void Play(Cue) override {}
};

Sounds& soundsOf(Sounds* given, std::unique_ptr<Sounds>& own)
{
    if (given)
        return *given;
    own = std::make_unique<Silence>();
    return *own;
}

SerialPort& portOf(SerialPort* given, std::unique_ptr<QtSerialPort>& own)
{
    if (given)
        return *given;
    own = std::make_unique<QtSerialPort>();
    return *own;
}
} // namespace

Station::Station(Services services, QObject* parent)
    : QObject(parent), services_(std::move(services)),
      config_(services_.boxes, configFiles_, services_.exit),
      port_(portOf(services_.serial, ownPort_)), link_(config_, port_, state_, services_.boxes),
      listLink_(*this, services_.clock ? *services_.clock : systemClock_),
      processing_({config_, run_, state_, services_.boxes, services_.pauser, listLink_, fieldCodes_, port_}),
      intake_(port_, state_, services_.consumers ? *services_.consumers : processing_, processing_.History()),
      historyFile_(processing_.History()),
      alertSounds_(processing_.History(), state_, soundsOf(services_.sounds, silence_))
{
    Timer1.setParent(this); // found by its name, like the window's controls
    Timer1.setObjectName(QStringLiteral("Timer1"));
    connect(&Timer1, &QTimer::timeout, this, &Station::Timer1_Timer);
    link_.AskForSettings = [this] { Q_EMIT SettingsWanted(); };
    drain_.setSingleShot(true);
    drain_.setInterval(0);
    connect(&drain_, &QTimer::timeout, this, [this] { intake_.Drain(); });
    port_.OnReceived([this] {
        if (intake_.Suffix().IsSet() && Timer1.isActive())
            drain_.start();
    });
    listLink_.Awaiting = [this] { Q_EMIT ListManagerAwaited(); };
    // A fault goes into the history once, with its time, whatever the band shows after it.
    connect(&state_, &StationState::FaultReported, this, [this](const QString& reason) {
        processing_.History().MachineFault(machine_ ? machine_->MachineName() : QStringLiteral("list manager"), reason);
    });
}

Station::~Station() = default;

bool Station::Start()
{
    Log::Info(QStringLiteral("Tarvex %1 starting: %2").arg(Version::Text(), services_.arguments.join(QLatin1Char(' '))));

    if (services_.instances.PreviousInstance() && services_.instances.InstanceCount(QStringLiteral("BarCode")) > 1) {
        services_.boxes.Show(QStringLiteral("the BarCode Program is already running!"), MessageBoxes::Icon::Warning);
        if (services_.instances.BringRunningToFront())
            Log::Info(QStringLiteral("the running Tarvex was asked to bring its window to the front"));
        else
            Log::Warning(QStringLiteral("the running Tarvex could not be reached to bring its window to the front"));
        services_.exit.EndProcess(0);
        return false;
    }

    link_.Unattended = RunState::CommandLineOf(services_.arguments).contains(QStringLiteral("UNATTENDED")) ||
                       CommandLineInfo::NoWindow(services_.arguments);
    if (!config_.LoadSettings(state_) && !link_.Unattended) {
        // The first start: a window connected here offers the setup, modal. What it saved is
        // read as any ZEM.INI is, and start-up goes on with it; Cancel saves nothing.
        Q_EMIT SetupWanted();
        if (config_.FileExists(config_.IniFilePath))
            config_.LoadSettings(state_);
    }
    // After the instance check: a second start neither reads nor writes the history.
    historyFile_.Load();
    connect(&historyFile_, &ScanHistoryFile::WriteFailed, &state_, &StationState::SetStatus);
    readSoundSetting();
    // From here on an option that changes is the operator's choice, saved at once.
    connect(&state_, &StationState::OptionChanged, this, &Station::saveOption);
    Timer1.setInterval(config_.TimerInterval);
    intake_.SetTickInterval(config_.TimerInterval);
    intake_.SetSuffix(config_.Suffix);
    // Read once, like the other settings: paths are converted several times for every scan.
    Paths::SetDriveRoots(config_.DriveRoots());
    CsvTransfer::RecoverInterruptedTransfer();
    startProductionRecord();
    if (ownPort_)
        ownPort_->SetConfigFile(config_.NativeIniFilePath());

    link_.OpenSerialPort(SerialLink::Absent::WaitQuietly);

    if (!services_.instances.EnhancedInterfaceAvailable()) {
        services_.boxes.Show(QStringLiteral("This program requires the enhanced Windows interface"));
        services_.exit.EndProcess(0);
        return false;
    }

    runStep([this] { helpFile_ = Paths::ProgramFolder() + QStringLiteral("\\BRIXEL.HLP"); });
    runStep([this] { fieldCodes_.InitFieldCodeTable(); });
    runStep([this] { run_.CommandLine = RunState::CommandLineOf(services_.arguments); });
    // The one place where the list manager is chosen: none with NOAPP or with [ListManager]
    // Server=None (NOAPP kept in the configuration), else what the factory makes.
    const bool noapp = run_.HasSwitch(QStringLiteral("NOAPP"));
    if (noapp || listManagerChosen().compare(QLatin1String("None"), Qt::CaseInsensitive) == 0) {
        Log::Info(noapp ? QStringLiteral("NOAPP: running without the list manager")
                        : QStringLiteral("[ListManager] Server=None: running without a list manager"));
        state_.SetMachine(MachineState::Of(MachineState::Kind::NoListManager,
                                           noapp ? QStringLiteral("started with NOAPP, lines go nowhere")
                                                 : QStringLiteral("none chosen in the setup, lines go nowhere")));
    } else {
        bool exitChosen = false;
        runStep([this, &exitChosen] {
            exitChosen = listLink_.Connect(services_.pauser, services_.boxes) == ListManagerLink::Outcome::Exit;
        });
        if (exitChosen) {
            services_.exit.EndProcess(0);
            return false;
        }
        if (!listLink_.HasWorkList()) {
            machine_ = nullptr;
            state_.SetMachineName(QString());
            state_.SetMachine(MachineState::Of(MachineState::Kind::NoListManager, QStringLiteral("continued without it at start-up")));
        }
    }
    runStep([this] { run_.FirstScanPending = true; });

    Log::Info(QStringLiteral("start-up done"));
    Timer1.start();
    return true;
}

void Station::runStep(const std::function<void()>& step)
{
    try {
        step();
    } catch (const RuntimeError& e) {
        services_.boxes.ReportUnexpectedError(e.Number(), e.Description());
    }
}

void Station::Timer1_Timer()
{
    refreshMachine();
    link_.WatchDevice();
    intake_.Timer1_Timer();
}

void Station::Shutdown()
{
    Timer1.stop();
    if (port_.PortOpen())
        port_.SetPortOpen(false);
    listLink_.Shutdown();
    historyFile_.Flush();
    // The production record stays open for the windows until the station goes: its destructor
    // writes what waits.
    Log::Info(QStringLiteral("shutdown"));
}

void Station::Exit()
{
    Log::Info(QStringLiteral("E&xit chosen: ending at once"));
    historyFile_.Flush();
    closeProductionRecord();
    services_.exit.EndProcess(0);
}

std::shared_ptr<ListManager> Station::CreateListManager()
{
    std::shared_ptr<ListManager> made;
    if (services_.listManagers) {
        made = services_.listManagers->CreateListManager();
        if (auto* server = dynamic_cast<WorkListManager*>(made.get()); server && server != machine_)
            followMachine(server);
        return made;
    }
    std::shared_ptr<WorkListManager> server = makeListManager();
    followMachine(server.get());
    // What the server has to tell outside any call (a line failed, the machine went away); the
    // "Ready." that ends a scan under way does not cover it. It belongs to no scan: the scan's
    // history entry is left alone; a fault among these texts gets a row of its own.
    connect(server.get(), &WorkListManager::StatusMessage, this, [this](const QString& text) {
        state_.SetStatus(text);
        processing_.Status().KeepTroubleShown();
    });
    Q_EMIT ListManagerCreated(server.get());
    return server;
}

ProductionSettings Station::ProductionSettingsOf(const Configuration& config)
{
    // Whole values: a server's address or a file's path may be longer than a setting's 79 characters.
    const QString section = QStringLiteral("Production");
    return ProductionSettings(config.ReadIniText(section, QStringLiteral("Database")).trimmed(),
                              config.ReadIniText(section, QStringLiteral("Station")).trimmed(),
                              config.ReadIniText(section, QStringLiteral("PasswordFile")).trimmed());
}

void Station::startProductionRecord()
{
    if (capture_)
        return;
    ProductionSink* sink = services_.production;
    if (!sink) {
        const ProductionSettings settings = ProductionSettingsOf(config_);
        ownProduction_ = std::make_unique<ProductionRecord>(settings, ProductionSettings::DefaultLocalPath());
        // Told once when it starts and once when it is over; the record has logged it.
        connect(ownProduction_.get(), &ProductionRecord::Trouble, &state_, &StationState::SetStatus);
        connect(ownProduction_.get(), &ProductionRecord::Recovered, &state_, &StationState::SetStatus);
        Log::Info(settings.UsesServer()
                      ? QStringLiteral("production record: PostgreSQL %1, station %2, waiting in %3")
                            .arg(settings.ServerName(), settings.Station(), ProductionSettings::DefaultLocalPath())
                      : QStringLiteral("production record: %1, station %2").arg(ProductionSettings::DefaultLocalPath(), settings.Station()));
        sink = ownProduction_.get();
        production_ = ownProduction_.get();
    }
    capture_ = std::make_unique<ProductionCapture>(*sink, fieldCodes_, processing_, services_.clock ? *services_.clock : systemClock_);
    if (machine_)
        capture_->Follow(machine_);
}

void Station::closeProductionRecord()
{
    // What waits in memory is written before the process ends at once; the capture goes first,
    // as it feeds the record.
    capture_.reset();
    production_ = nullptr;
    ownProduction_.reset();
}

void Station::followMachine(WorkListManager* server)
{
    machine_ = server;
    if (capture_)
        capture_->Follow(server);
    connect(server, &WorkListManager::Changed, this, &Station::refreshMachine);
    connect(server, &WorkListManager::Fault, &state_, &StationState::ReportFault);
    state_.SetMachineName(server->MachineName());
    refreshMachine();
}

void Station::refreshMachine()
{
    if (machine_)
        state_.SetMachine(machine_->Machine());
}

std::shared_ptr<WorkListManager> Station::makeListManager()
{
    // [ListManager] Server= chooses: the embedded one unless LinuxCNC is named.
    const QString chosen = listManagerChosen();
    std::shared_ptr<WorkListManager> server;
    if (chosen.compare(QLatin1String("LinuxCNC"), Qt::CaseInsensitive) == 0) {
        server = std::make_shared<LinuxCncListManager>(LinuxCncSettings::Read(config_));
    } else {
        if (!chosen.isEmpty() && chosen.compare(QLatin1String("Embedded"), Qt::CaseInsensitive) != 0) {
            Log::Warning(QStringLiteral("[ListManager] Server=%1 is not known; the embedded list manager runs").arg(chosen));
            state_.SetStatus(QStringLiteral("List manager \"%1\" unknown: the embedded one runs.").arg(chosen));
        }
        server = std::make_shared<EmbeddedListManager>();
    }
    return server;
}

QString Station::listManagerChosen() const
{
    return config_.ReadIniValue(QStringLiteral("ListManager"), QStringLiteral("Server")).trimmed();
}

void Station::ApplySerialSettings(int port, const QString& settings, const QString& device)
{
    config_.SerialSettings = settings;
    config_.CommPort = port;
    Log::Info(QStringLiteral("serial settings changed to %1").arg(link_.CurrentSettingsText()));
    QString unsaved;
    if (!device.isEmpty()) {
        const QString key = QStringLiteral("COM%1").arg(port);
        unsaved = reportSave(config_.WriteIniValue(QStringLiteral("Ports"), key, device),
                             QStringLiteral("[Ports] %1=%2").arg(key, device), QStringLiteral("the device of %1").arg(key));
    }
    link_.SaveSerialSettings();
    link_.OpenSerialPort();
    // Opening puts its own outcome on the status line; a device that will not be found again
    // at the next start must not go unseen.
    if (!unsaved.isEmpty())
        state_.SetStatus(unsaved);
}

void Station::ApplyScanSuffix(const ScanSuffix& suffix)
{
    if (suffix == config_.Suffix)
        return;
    config_.Suffix = suffix;
    intake_.SetSuffix(suffix);
    Log::Info(QStringLiteral("the scanner ends each code with: %1").arg(suffix.Caption()));
    reportSave(config_.WriteIniValue(Configuration::Section, ScanSuffix::Key, suffix.Value()),
               QStringLiteral("%1=%2").arg(ScanSuffix::Key, suffix.Value()), ScanSuffix::Key);
}

QString Station::SaveSetup(const StationSetup& before, const StationSetup& after)
{
    for (const StationSetup::Entry& entry : after.ChangesFrom(before)) {
        const bool secret = entry.key.endsWith(QLatin1String("Password"), Qt::CaseInsensitive);
        const QString record = QStringLiteral("[%1] %2=%3").arg(entry.section, entry.key, secret ? QStringLiteral("***") : entry.value);
        const QString problem = reportSave(config_.WriteIniText(entry.section, entry.key, entry.value), record,
                                           QStringLiteral("[%1] %2").arg(entry.section, entry.key));
        if (!problem.isEmpty())
            return problem;
    }
    // The folders hold from the next scan on; the drives and the list manager are chosen at start-up.
    config_.ReadFolders();
    return QString();
}

QMap<int, QString> Station::PortDevices() const
{
    QMap<int, QString> devices;
    for (int port = 1; port <= 4; ++port)
        devices.insert(port, port_.DeviceForPort(port));
    if (config_.CommPort > 0)
        devices.insert(config_.CommPort, port_.DeviceForPort(config_.CommPort));
    return devices;
}

QStringList Station::PresentSerialDevices() const
{
    return port_.PresentDevices();
}

void Station::saveOption(StationState::Option option, int value)
{
    QString key;
    switch (option) {
    case StationState::Option::AClear:
        key = QStringLiteral("AutoClear");
        break;
    case StationState::Option::Overwrite:
        key = QStringLiteral("Overwrite");
        break;
    case StationState::Option::AutoStart:
        key = QStringLiteral("AutoStart");
        break;
    case StationState::Option::ShowEd:
        return; // not kept in the configuration
    }
    const QString text = QString::number(value);
    reportSave(config_.WriteIniValue(Configuration::Section, key, text), QStringLiteral("%1=%2").arg(key, text), key);
}

void Station::readSoundSetting()
{
    const QString value = config_.ReadIniValue(Configuration::Section, QStringLiteral("Sound")).trimmed();
    if (!value.isEmpty() && value != QLatin1String("0") && value != QLatin1String("1"))
        Log::Warning(QStringLiteral("Sound=%1 in ZEM.INI is neither 0 nor 1; the sounds are on").arg(value));
    state_.SetSoundOn(value != QLatin1String("0"));
}

void Station::SetSoundOn(bool on)
{
    state_.SetSoundOn(on);
    const QString text = on ? QStringLiteral("1") : QStringLiteral("0");
    reportSave(config_.WriteIniValue(Configuration::Section, QStringLiteral("Sound"), text), QStringLiteral("Sound=%1").arg(text),
               QStringLiteral("Sound"));
}

void Station::SetExclusionMask(const QString& mask)
{
    reportSave(config_.WriteIniValue(Configuration::Section, QStringLiteral("Exclusion"), mask), QString(),
               QStringLiteral("Exclusion"), QStringLiteral("the exclusion choice %1 is kept for this run only").arg(mask));
    exclusionMask_ = mask;
    Log::Info(QStringLiteral("exclusion numbers set to %1").arg(mask));
}

void Station::SaveAutoSelectRules()
{
    reportSave(processing_.Rules().Save(),
               QStringLiteral("the automatic field selection, to %1").arg(config_.NativeIniFilePath()),
               QStringLiteral("the automatic field selection"),
               QStringLiteral("the automatic field selection settings hold for this run only: they could not be saved"));
}

QString Station::reportSave(bool saved, const QString& record, const QString& what, const QString& warning)
{
    if (saved) {
        if (!record.isEmpty())
            Log::Info(QStringLiteral("setting saved: ") + record);
        return QString();
    }
    if (!warning.isEmpty())
        Log::Warning(warning);
    const QString problem = QStringLiteral("Could not save %1 to %2.").arg(what, config_.NativeIniFilePath());
    state_.SetStatus(problem);
    return problem;
}
