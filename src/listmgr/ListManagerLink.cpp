#include "listmgr/ListManagerLink.h"

#include "listmgr/ListManager.h"
#include "listmgr/ListManagerFactory.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/Pauser.h"
#include "platform/RuntimeError.h"

namespace {
// Between two unanswered requests: short enough not to delay start-up, long enough not to spin.
constexpr double retryPauseSeconds = 0.1;
} // namespace

ListManagerLink::ListManagerLink(ListManagerFactory& factory, Clock& clock) : factory_(factory), clock_(clock)
{
}

QString ListManagerLink::MachineWaitText(const QString& whyAway)
{
    return QStringLiteral("The machine control has not answered for 30 seconds.\n%1\n\n"
                          "Keep waiting: try 30 seconds more.\n"
                          "Go on: scanned lines are kept on the work list and the machine control is "
                          "connected in the background.\n"
                          "Exit: end Tarvex.")
        .arg(whyAway.isEmpty() ? QStringLiteral("It gave no answer.") : whyAway + QLatin1Char('.'));
}

void ListManagerLink::CreateListApp()
{
    ListApp = factory_.CreateListManager();
    if (!ListApp)
        throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"));
}

ListManagerLink::Outcome ListManagerLink::Connect(Pauser& pauser, MessageBoxes& boxes)
{
    Log::Info(QStringLiteral("connecting to the list manager"));
    qint64 started = clock_.NowMs();
    bool told = false;
    for (;;) {
        try {
            if (!ListApp)
                CreateListApp();
            if (ListApp->NewList())
                ExeListObject = ListApp;
        } catch (const RuntimeError& e) {
            boxes.ReportUnexpectedError(e.Number(), e.Description());
        }
        if (ExeListObject) {
            pauser.ProcessEvents();
            Log::Info(QStringLiteral("list manager connected"));
            return Outcome::Connected;
        }
        if (!told && Awaiting) {
            told = true;
            Awaiting();
        }
        pauser.Pause(retryPauseSeconds);
        if (clock_.NowMs() - started < WaitLimitMs)
            continue;
        const bool keepsList = ListApp && ListApp->KeepsListWhileAway();
        if (keepsList)
            Log::Warning(QStringLiteral("no answer from the machine control for %1 s: %2").arg(WaitLimitMs / 1000).arg(ListApp->WhyAway()));
        switch (boxes.Show(keepsList ? MachineWaitText(ListApp->WhyAway()) : WaitText, MessageBoxes::Icon::Warning,
                           keepsList ? MessageBoxes::Buttons::KeepWaitingGoOnExit : MessageBoxes::Buttons::RetryContinueExit)) {
        case MessageBoxes::Answer::Retry:
            Log::Info(QStringLiteral("waiting for the list manager again"));
            started = clock_.NowMs();
            break;
        case MessageBoxes::Answer::Exit:
            Log::Warning(QStringLiteral("no work list from the list manager: ending at the operator's request"));
            return Outcome::Exit;
        default:
            if (keepsList) {
                Log::Warning(QStringLiteral("the machine control does not answer: lines are kept, it is connected in the background"));
                ExeListObject = ListApp;
                return Outcome::Collecting;
            }
            Log::Warning(QStringLiteral("no work list from the list manager: running without it, lines will not be added"));
            ListApp.reset();
            return Outcome::WithoutListManager;
        }
    }
}

void ListManagerLink::CreateFallbackExeList()
{
    // The fallback is a second reference into the server that is running, not a new server.
    FallbackExeList = ExeListObject ? ExeListObject : ListApp;
    if (!FallbackExeList)
        throw RuntimeError(429, QStringLiteral("ActiveX component can't create object"));
}

void ListManagerLink::Shutdown()
{
    FallbackExeList.reset();
    ListApp.reset();
}
