#include "support/FakeListManager.h"

#include "platform/RuntimeError.h"

bool FakeListManager::NewList()
{
    calls << "NewList";
    ++newListCalls;
    return listFromAttempt > 0 && newListCalls >= listFromAttempt;
}

void FakeListManager::AddLine(const QString& line)
{
    calls << "AddLine " + line;
    if (failAddLine != 0) {
        if (failAddLine > 0)
            --failAddLine;
        throw RuntimeError(-2147417848, "The object invoked has disconnected from its clients.");
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
