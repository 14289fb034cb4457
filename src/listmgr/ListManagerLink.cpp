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
        pauser.Pause(retryPauseSeconds);
        if (clock_.NowMs() - started < WaitLimitMs)
            continue;
        const bool keepsList = ListApp && ListApp->KeepsListWhileAway();
        switch (boxes.Show(keepsList ? MachineWaitText : WaitText, MessageBoxes::Icon::Warning,
                           MessageBoxes::Buttons::RetryContinueExit)) {
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
