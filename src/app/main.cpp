#include "app/CommandLineInfo.h"
#include "app/Station.h"
#include "app/frmMain.h"
#include "config/RunState.h"
#include "platform/EventLoopPauser.h"
#include "platform/ImmediateExit.h"
#include "platform/Log.h"
#include "platform/MemoryTuning.h"
#include "platform/ProcessInstanceCounter.h"
#include "platform/RaiseRequests.h"
#include "platform/TerminationSignals.h"
#include "platform/UnattendedMessageBoxes.h"
#include "platform/Version.h"
#include "platform/WidgetMessageBoxes.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    if (CommandLineInfo::Asked(argc, argv)) {
        // Answered before any window system is asked for, so that it works without a display.
        const QCoreApplication core(argc, argv);
        std::fputs(CommandLineInfo::Text(QCoreApplication::arguments()).toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    MemoryTuning::KeepWorkingMemory();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvex"));
    QApplication::setApplicationVersion(Version::Text());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvex.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("tarvex"));

    const QStringList arguments = QApplication::arguments();
    const bool unattended = RunState::CommandLineOf(arguments).contains(QStringLiteral("UNATTENDED"));
    std::unique_ptr<MessageBoxes> boxes;
    if (unattended)
        boxes = std::make_unique<UnattendedMessageBoxes>();
    else
        boxes = std::make_unique<WidgetMessageBoxes>();
    ProcessInstanceCounter instances;
    EventLoopPauser pauser;
    ImmediateExit exit;

    // The composition root: the station owns the services and outlives the window.
    Station station({*boxes, instances, pauser, exit, arguments});
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
