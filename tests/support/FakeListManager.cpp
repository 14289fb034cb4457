#include "support/FakeListManager.h"

#include "platform/RuntimeError.h"

namespace {
void disconnected()
{
    throw RuntimeError(-2147417848, "The object invoked has disconnected from its clients.");
}
} // namespace

void FakeListManager::record(const QString& call)
{
    calls << call;
    if (failEveryCall)
        disconnected();
}

bool FakeListManager::NewList()
{
    record("NewList");
    ++newListCalls;
    return listFromAttempt > 0 && newListCalls >= listFromAttempt;
}

void FakeListManager::AddLine(const ListFields& line)
{
    record("AddLine " + line.Text());
    if (failAddLine != 0) {
        if (failAddLine > 0)
            --failAddLine;
        disconnected();
    }
}

int FakeListManager::Count(const QString& member) const
{
    int n = 0;
    for (const QString& call : calls) {
        if (call == member || call.startsWith(member + ' '))
            ++n;
    }
    return n;
}
