#pragma once

#include <QString>

#include <functional>
#include <memory>

class Clock;
class ListManager;
class ListManagerFactory;
class MessageBoxes;
class Pauser;

// The program's references to the list manager, held from start-up to shutdown: the
// application object ListApp, the work list ExeListObject that every line and clearing goes
// through, and the fallback FallbackExeList made when adding a line failed. All three may be
// the same server; a reference that is not held is null.
class ListManagerLink {
public:
    // Collecting: the machine control did not answer, lines are kept and it is looked for in
    // the background.
    enum class Outcome { Connected, Collecting, WithoutListManager, Exit };

    static constexpr qint64 DefaultWaitLimitMs = 30000;
    static inline const QString WaitText = QStringLiteral(
        "The list manager has not handed out a work list for 30 seconds.\n\n"
        "Retry: keep waiting.\nContinue: run without the list manager.\nExit: end Tarvex.");
    // The same question for a list manager that keeps its list while its machine is away, with
    // what kept it away (ListManager::WhyAway).
    static QString MachineWaitText(const QString& whyAway);

    // factory makes the server ListApp is; clock times the wait for its work list.
    ListManagerLink(ListManagerFactory& factory, Clock& clock);

    // Creates the application object (again, when it was dropped).
    void CreateListApp();
    // Start-up: creates ListApp and asks it for its work list until ExeListObject holds one,
    // letting pending events run between attempts. Each failed attempt gets the unexpected-error
    // report. After WaitLimitMs without a list the operator chooses Retry (wait again), Continue
    // (run as with "NOAPP": nothing is held; but a server that keeps its list while its machine
    // is away is held and takes lines) or Exit.
    Outcome Connect(Pauser& pauser, MessageBoxes& boxes);
    // The fallback work list of the server that is running.
    void CreateFallbackExeList();
    // Shutdown: FallbackExeList and ListApp go; ExeListObject stays with the process.
    void Shutdown();

    // Whether lines can be sent at all.
    bool HasWorkList() const { return ExeListObject != nullptr; }

    std::shared_ptr<ListManager> ListApp;
    std::shared_ptr<ListManager> ExeListObject;
    std::shared_ptr<ListManager> FallbackExeList;

    qint64 WaitLimitMs = DefaultWaitLimitMs;
    // Called once when the first attempt of Connect brought no work list, before it waits.
    std::function<void()> Awaiting;

private:
    ListManagerFactory& factory_;
    Clock& clock_;
};
