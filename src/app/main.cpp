#include "app/CommandLineInfo.h"
#include "app/ReportCommand.h"
#include "app/Station.h"
#include "app/windows/frmMain.h"
#include "platform/EventLoopPauser.h"
#include "platform/ImmediateExit.h"
#include "platform/Log.h"
#include "platform/MemoryTuning.h"
#include "platform/ProcessInstanceCounter.h"
#include "platform/RaiseRequests.h"
#include "platform/TerminationSignals.h"
#include "platform/UnattendedMessageBoxes.h"
#include "platform/Version.h"
#include "platform/windows/EffectSounds.h"
#include "platform/windows/WidgetMessageBoxes.h"
#include "station/RunState.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <memory>

namespace {
// --no-window: the same station, with no window system asked for. Message boxes are log
// records answered by their safe button; a stop from the service manager is the shutdown.
int runWithoutWindow(Station& station)
{
    TerminationSignals termination;
    bool started = false;
    bool stopRequested = false;
    QObject::connect(&termination, &TerminationSignals::Requested, &station, [&](int number) {
        Log::Info(QStringLiteral("signal %1: stopping").arg(number));
        // The scan under way ends first: the shutdown runs once the event loop has returned.
        if (started)
            QCoreApplication::quit();
        else
            stopRequested = true;
    });
    if (!station.Start())
        return 0;
    started = true;
    if (stopRequested) {
        station.Shutdown();
        return 0;
    }
    // A second start is told that this one runs; there is no window to bring forward.
    RaiseRequests raiseRequests;
    QObject::connect(&raiseRequests, &RaiseRequests::Requested, &station, [] {
        Log::Info(QStringLiteral("another start of Tarvex asked for the window: this one runs without a window"));
    });
    if (!raiseRequests.Listen())
        Log::Warning(QStringLiteral("a second start cannot reach this Tarvex"));
    const int code = QCoreApplication::exec();
    station.Shutdown();
    return code;
}

int runWithWindow(Station& station)
{
    frmMain window(station);

    // Installed before start-up says it is done, so that a stop from a service manager at any
    // moment goes through the orderly shutdown; one that comes during start-up waits for its end.
    TerminationSignals termination;
    bool started = false;
    bool stopRequested = false;
    QObject::connect(&termination, &TerminationSignals::Requested, &window, [&](int number) {
        Log::Info(QStringLiteral("signal %1: closing").arg(number));
        if (started)
            window.close();
        else
            stopRequested = true;
    });
    if (!window.Form_Load())
        return 0;
    started = true;
    if (stopRequested) {
        window.close();
        return 0;
    }
    window.show();
    // A second start brings this window to the front instead of opening another.
    RaiseRequests raiseRequests;
    QObject::connect(&raiseRequests, &RaiseRequests::Requested, &window, &frmMain::BringToFront);
    if (!raiseRequests.Listen())
        station.State().SetStatus(QStringLiteral("A second start cannot bring this window to the front."));
    return QApplication::exec();
}
} // namespace

int main(int argc, char* argv[])
{
    if (CommandLineInfo::Asked(argc, argv)) {
        // Answered before any window system is asked for, so that it works without a display.
        const QCoreApplication core(argc, argv);
        std::fputs(CommandLineInfo::Text(QCoreApplication::arguments()).toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    QStringList given;
    for (int i = 0; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    if (ReportCommand::Asked(given)) {
        // For scripts: no window, no instance check, beside a running station.
        const QCoreApplication core(argc, argv);
        return ReportCommand::Run(QCoreApplication::arguments(), stdout, stderr);
    }
    MemoryTuning::KeepWorkingMemory();
    const bool windowed = !CommandLineInfo::NoWindow(given);
    // Only a station with a window needs the window system (and a display).
    std::unique_ptr<QCoreApplication> app =
        windowed ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tarvex"));
    QCoreApplication::setApplicationVersion(Version::Text());
    if (windowed) {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvex.svg")));
        QGuiApplication::setDesktopFileName(QStringLiteral("tarvex"));
    }

    const QStringList arguments = QCoreApplication::arguments();
    const bool unattended = !windowed || RunState::CommandLineOf(arguments).contains(QStringLiteral("UNATTENDED"));
    std::unique_ptr<MessageBoxes> boxes;
    if (unattended)
        boxes = std::make_unique<UnattendedMessageBoxes>();
    else
        boxes = std::make_unique<WidgetMessageBoxes>();
    ProcessInstanceCounter instances;
    EventLoopPauser pauser;
    ImmediateExit exit;

    // The composition root: the station owns the services and outlives the window.
    // The sounds are for an operator at the window; a station without one stays silent.
    std::unique_ptr<EffectSounds> sounds;
    if (windowed)
        sounds = std::make_unique<EffectSounds>();
    Station station({*boxes, instances, pauser, exit, arguments, nullptr, nullptr, nullptr, nullptr, sounds.get()});
    return windowed ? runWithWindow(station) : runWithoutWindow(station);
}
