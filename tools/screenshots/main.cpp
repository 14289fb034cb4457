// tarvex-screenshots: opens the main window and the dialogs with a sample configuration and
// writes a PNG of each (every tab of the field selection setup) into the folder given, so that
// a reviewer can look at them. Run it under a virtual display: tools/screenshots.sh.
#include "app/Station.h"
#include "app/windows/frmAbout.h"
#include "app/windows/frmHelp.h"
#include "app/windows/frmLogViewer.h"
#include "app/windows/frmMain.h"
#include "app/windows/frmProduction.h"
#include "app/windows/ProductionExportDialog.h"
#include "app/windows/frmSetup.h"
#include "app/windows/MachineBand.h"
#include "app/windows/ScanHistoryView.h"
#include "autosel/windows/MacFlds.h"
#include "config/windows/frmSettings.h"
#include "listmgr/windows/ExInsForm.h"
#include "listmgr/windows/frmListManager.h"
#include "platform/EventLoopPauser.h"
#include "platform/ImmediateExit.h"
#include "platform/Log.h"
#include "platform/ProcessInstanceCounter.h"
#include "platform/UnattendedMessageBoxes.h"
#include "production/ProductionReader.h"
#include "scan/ScanProcessing.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

namespace {
const char sampleIni[] =
    "[GESTBCOD]\r\n"
    "CommPort=1\r\n"
    "FieldCode_SFN=N\r\nFieldCode_SFM=M\r\nFieldCode_SFS=S\r\nFieldFlag_SFS= 1\r\nFieldCode_SFA=A\r\nFieldFlag_SFA= 1\r\n"
    "FieldCode_SFT=T\r\nFieldCode_SFR=R\r\n"
    "FieldCode_BFN=N/\r\nFieldFlag_BFN= 1\r\nFieldCode_FFS=S1\r\nFieldFlag_FFS= 1\r\nFieldCode_FFR=R1/\r\n"
    "FieldCode_DFN=N\r\nHalfLimitX=1500\r\nHalfLimitY=650\r\n"
    "AutoSelSetting=1\r\nPNameMSel=1\r\nPNameMirrorLR=-1\r\nPNameMirrorCPos=7\r\nPNameMirrorText=SX\r\n";

// Writes the window's picture; false when that fails or the window does not lie on the screen
// whole (as at a large scale factor on a small screen).
bool save(QWidget& widget, const QDir& folder, const QString& name)
{
    widget.show();
    widget.raise();
    if (!QTest::qWaitForWindowExposed(&widget))
        std::fprintf(stderr, "%s was not exposed\n", qPrintable(name));
    QTest::qWait(150);
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    const QRect screen = widget.screen()->availableGeometry();
    const QRect window = widget.frameGeometry();
    if (!screen.contains(window)) {
        std::fprintf(stderr, "%s does not fit the screen: %dx%d at %d,%d on %dx%d\n", qPrintable(name), window.width(),
                     window.height(), window.x(), window.y(), screen.width(), screen.height());
        return false;
    }
    return true;
}
// A day at a saw with two stations: parts from 06:00 to 14:30, a hold, a failure, an abort,
// a refused scan, a line cleared and two still waiting. Answered a moment later, as the record is.
class SampleDayReader : public ProductionReader {
public:
    void Ask(const ReportQuery& query, std::function<void(const ReportResult&)> answer) override
    {
        ReportResult result;
        result.stations = {QStringLiteral("SAW-1"), QStringLiteral("SAW-2")};
        result.source = QStringLiteral("the SQLite database /home/operator/.local/share/tarvex/production.sqlite");
        for (const ReportRow& row : day(query.from)) {
            if (query.station.isEmpty() || row.station == query.station)
                result.rows << row;
        }
        QTimer::singleShot(0, [answer, result] { answer(result); });
    }

private:
    static QList<ReportRow> day(QDate date)
    {
        const char* const programs[] = {"DOOR1", "DOOR2", "SIDE-L", "SIDE-R", "SHELF", "BACK", "TOP", "PLINTH"};
        const char* const fields[] = {"A1", "A2", "B1", "B2"};
        QList<ReportRow> rows;
        QDateTime at(date, QTime(6, 2, 10));
        for (int i = 0; i < 46; ++i) {
            ReportRow row;
            row.station = i % 3 == 2 ? QStringLiteral("SAW-2") : QStringLiteral("SAW-1");
            row.scannedAt = at;
            row.program = QLatin1String(programs[i % 8]);
            row.scanText = QStringLiteral("%12%1 N X %").arg(row.program);
            row.fieldCode = QLatin1String(fields[i % 4]);
            row.position = i % 4 + 1;
            row.mirrored = i % 5 == 3;
            row.sizeX = QString::number(600 + (i % 4) * 200);
            row.sizeY = QString::number(400 + (i % 3) * 50);
            row.sizeZ = QStringLiteral("19");
            row.outcome = QStringLiteral("done");
            const qint64 seconds = 240 + (i * 37) % 300;
            row.startedAt = at.addSecs(40);
            row.endedAt = row.startedAt.addSecs(seconds);
            row.durationMs = seconds * 1000;
            if (i == 9) {
                row.holdMs = 95'000;
                row.durationMs += row.holdMs;
                row.endedAt = row.endedAt.addMSecs(row.holdMs);
            }
            if (i == 14) {
                row.outcome = QStringLiteral("failed");
                row.message = QStringLiteral("Program file not found: /home/cnc/PRODUCT/SHELF.ngc");
            }
            if (i == 27) {
                row.outcome = QStringLiteral("aborted");
                row.message = QStringLiteral("ended by the operator (End)");
            }
            rows << row;
            // A lunch break, and a slower afternoon.
            at = row.endedAt.addSecs(i == 30 ? 1800 : 60 + (i % 4) * 45);
        }
        ReportRow refused;
        refused.station = QStringLiteral("SAW-1");
        refused.scannedAt = QDateTime(date, QTime(9, 12, 3));
        refused.scanText = QStringLiteral("..\\ETC\\PASSWD");
        refused.outcome = QStringLiteral("refused");
        refused.message = QStringLiteral("Program name refused: it may not hold a folder");
        rows << refused;
        ReportRow cleared = rows[20];
        cleared.program = QStringLiteral("DRAWER");
        cleared.scanText = QStringLiteral("%12DRAWER N X %");
        cleared.outcome = QStringLiteral("cleared");
        cleared.message.clear();
        cleared.startedAt = QDateTime();
        cleared.endedAt = cleared.scannedAt.addSecs(30);
        cleared.durationMs = -1;
        rows << cleared;
        for (int i = 0; i < 2; ++i) {
            ReportRow waiting = rows[40 + i];
            waiting.scannedAt = QDateTime(date, QTime(14, 40 + i));
            waiting.outcome = QStringLiteral("waiting");
            waiting.startedAt = QDateTime();
            waiting.endedAt = QDateTime();
            waiting.durationMs = -1;
            rows << waiting;
        }
        std::sort(rows.begin(), rows.end(), [](const ReportRow& a, const ReportRow& b) { return a.scannedAt < b.scannedAt; });
        return rows;
    }
};
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvex.svg")));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }

    // A home of its own, so that the operator's ZEM.INI and log are neither read nor touched.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (home.path() + QStringLiteral("/state")).toLocal8Bit());
    QDir().mkpath(home.path() + QStringLiteral("/config/tarvex"));
    QFile ini(home.path() + QStringLiteral("/config/tarvex/ZEM.INI"));
    if (!ini.open(QIODevice::WriteOnly) || ini.write(sampleIni) < 0)
        return 1;
    ini.close();
    Log::SetEcho(false);
    // A program with its sizes, so that a line can be added as meant.
    const QString programs = home.path() + QStringLiteral("/data/tarvex/drive_c/KARN/PRODUCT");
    QDir().mkpath(programs);
    QFile program(programs + QStringLiteral("/GOOD.CNC"));
    if (!program.open(QIODevice::WriteOnly) || program.write("G71 X600 Y400 Z20\r\n(panel)\r\n") < 0)
        return 1;
    program.close();

    UnattendedMessageBoxes boxes;
    ProcessInstanceCounter instances;
    EventLoopPauser pauser;
    ImmediateExit exit;
    Station station({boxes, instances, pauser, exit, {QStringLiteral("tarvex"), QStringLiteral("UNATTENDED")}});
    frmMain window(station);
    if (!window.Form_Load())
        return 1;
    // A history of mixed scans, as an operator's morning might bring them.
    for (const char* label : {"%01JOB7%", "%START%", "PROG1", "..\\ETC\\PASSWD", "%A1%", "%12PROG2 N X %",
                              "%22 600 400 20 %", "P;#171=5"})
        station.Intake().DispatchTyped(QLatin1String(label), nullptr);
    bool ok = save(window, folder, QStringLiteral("main-window"));

    // Normal, doubtful (amber) and refused (red) rows together, the refused one selected: the pane
    // under the history shows it whole, and the amber rows keep their colour.
    for (const char* label : {"%11NOFILE N X %", "%11GOOD N X %", "..\\ETC\\SHADOW", "%START%"})
        station.Intake().DispatchTyped(QLatin1String(label), nullptr);
    if (auto* history = window.findChild<ScanHistoryView*>(QStringLiteral("lstHistory")))
        history->setCurrentItem(history->topLevelItem(1));
    ok &= save(window, folder, QStringLiteral("main-window-history"));
    if (auto* history = window.findChild<ScanHistoryView*>(QStringLiteral("lstHistory")))
        history->clearSelection();

    // The machine band in each state, on a state of its own (the station's is refreshed from
    // its list manager at every tick), as wide as the main window.
    {
        using Kind = MachineState::Kind;
        StationState shown;
        shown.SetMachineName(QStringLiteral("LinuxCNC at 127.0.0.1:5007"));
        MachineBand band(shown);
        band.resize(window.width(), band.height());
        const std::pair<const char*, MachineState> states[] = {
            {"band-01-connecting", MachineState::Of(Kind::Connecting)},
            {"band-02-not-connected", MachineState::Of(Kind::NotConnected, QStringLiteral("Connection refused"))},
            {"band-03-estop", MachineState::Of(Kind::EStop)},
            {"band-04-machine-off", MachineState::Of(Kind::Off)},
            {"band-05-not-homed", MachineState::Of(Kind::NotHomed)},
            {"band-06-ready", MachineState::Of(Kind::Ready)},
            {"band-07-running", MachineState::AtWork(Kind::Running, QStringLiteral("DOOR1.CNC"), 2, 5)},
            {"band-08-held", MachineState::AtWork(Kind::Held, QStringLiteral("DOOR1.CNC"), 2, 5)},
            {"band-09-setpoint", MachineState::Of(Kind::Setpoint)},
            {"band-10-no-list-manager", MachineState::Of(Kind::NoListManager, QStringLiteral("started with NOAPP, lines go nowhere"))},
        };
        for (const auto& [name, state] : states) {
            shown.SetMachine(state);
            ok &= save(band, folder, QLatin1String(name));
        }
        shown.ReportFault(QStringLiteral("Connection to LinuxCNC lost while DOOR1.CNC (line 2) ran: its state is unknown, "
                                         "nothing was removed. Reconnecting."));
        ok &= save(band, folder, QStringLiteral("band-11-fault"));
    }
    // A fault stays in sight after the next scan, and the history has it.
    station.State().ReportFault(QStringLiteral("DOOR1.CNC (line 2) failed: Program file not found. The run has stopped; "
                                               "the waiting lines stay on the list."));
    station.Intake().DispatchTyped(QStringLiteral("%A1%"), nullptr);
    ok &= save(window, folder, QStringLiteral("main-window-fault"));

    // The setup window, page by page as the first start shows it, and alone from the Options menu.
    {
        const StationSetup none;
        const auto devices = [] {
            return QStringList{QStringLiteral("/dev/serial/by-id/usb-Datalogic_ADC_Inc._Handheld_Barcode_Scanner_S_N_G19K54321-if00"),
                               QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyS0")};
        };
        frmSetup first(frmSetup::Pages::FirstStart, none, devices, &window);
        const char* const pages[] = {"setup-1-scanner", "setup-2-folders", "setup-3-machine-control"};
        for (const char* page : pages) {
            ok &= save(first, folder, QLatin1String(page));
            first.findChild<QPushButton*>(QStringLiteral("cmdNext"))->click();
        }
        first.hide();
        const StationSetup current = StationSetup::Read(station.Config());
        frmSetup folders(frmSetup::Pages::Folders, current, devices, &window);
        ok &= save(folders, folder, QStringLiteral("options-folders"));
        folders.hide();
        StationSetup linuxCnc = current;
        linuxCnc.server = QStringLiteral("LinuxCNC");
        frmSetup machine(frmSetup::Pages::MachineControl, linuxCnc, devices, &window);
        machine.findChild<QPushButton*>(QStringLiteral("cmdTestConnection"))->click();
        if (!QTest::qWaitFor([&machine] { return machine.findChild<QPushButton*>(QStringLiteral("cmdTestConnection"))->isEnabled(); },
                             15000))
            std::fprintf(stderr, "the connection test did not end\n");
        ok &= save(machine, folder, QStringLiteral("options-machine-control"));
        machine.hide();
    }

    frmSettings settings(station.Config().CommPort, station.Config().SerialSettings, station.PortDevices(),
                         [&station] { return station.PresentSerialDevices(); }, &window);
    ok &= save(settings, folder, QStringLiteral("serial-settings"));
    settings.hide();
    frmLogViewer log(Log::FilePath(), &window);
    log.ShowWindow();
    ok &= save(log, folder, QStringLiteral("log-viewer"));
    log.hide();
    auto* list = window.findChild<frmListManager*>();
    list->ShowWindow();
    ok &= save(*list, folder, QStringLiteral("list-manager"));
    list->hide();
    SampleDayReader sampleDay;
    frmProduction production(sampleDay, &boxes, &window);
    production.ShowWindow();
    QTest::qWait(50);
    ok &= save(production, folder, QStringLiteral("production"));
    production.hide();
    ProductionExportDialog exportChoice(QDate::currentDate(), QStringLiteral("SAW-2"), &window);
    ok &= save(exportChoice, folder, QStringLiteral("production-export"));
    exportChoice.hide();
    frmHelp help(&window);
    ok &= save(help, folder, QStringLiteral("operators-guide"));
    help.hide();

    ScanFields& fields = station.Processing().Fields();
    fields.LastProgramName = QStringLiteral("PART01SX");
    MacFlds setup(station.Processing().Rules(), station.FieldCodes().Codes(), fields.LastProgramName, fields.LastComment, &window);
    auto* tabs = setup.findChild<QTabWidget*>(QStringLiteral("TabSetup"));
    const char* const names[] = {"macflds-1-auto-field-select", "macflds-2-standard-fields", "macflds-3-front-and-back",
                                 "macflds-4-field-limits"};
    for (int i = 0; i < tabs->count() && i < 4; ++i) {
        tabs->setCurrentIndex(i);
        ok &= save(setup, folder, QLatin1String(names[i]));
    }
    // OK on a value that cannot be used: the dialog stays open and says why.
    setup.findChild<QLineEdit*>(QStringLiteral("HlfLimX"))->setText(QStringLiteral("1,500"));
    setup.findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    ok &= save(setup, folder, QStringLiteral("macflds-5-value-refused"));
    setup.reject();

    ExInsForm exclusion(QStringLiteral("10100000"), &window);
    ok &= save(exclusion, folder, QStringLiteral("exclusion-insertion"));
    exclusion.hide();
    frmAbout about(&window);
    ok &= save(about, folder, QStringLiteral("about"));
    about.hide();
    return ok ? 0 : 1;
}
