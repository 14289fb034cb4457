#pragma once

#include "listmgr/ListManager.h"

#include <QStringList>

// Records every call as "Member" or "Member argument" (a line as its text); AddLine fails while
// failAddLine > 0 (counting down; negative fails for ever), NewList answers true from the given
// attempt on; failEveryCall makes every member throw, as a server that has gone away.
class FakeListManager : public ListManager {
public:
    bool NewList() override;
    void OpenList(const QString& path) override { record("OpenList " + path); }
    void Start() override { record("Start"); }
    void Hold() override { record("Hold"); }
    void End() override { record("End"); }
    void Setpoint() override { record("Setpoint"); }
    void AddLine(const ListFields& line) override;
    void ClearList() override { record("ClearList"); }
    void Visible(bool visible) override { record(visible ? "Visible True" : "Visible False"); }
    void Clear() override { record("Clear"); }

    int Count(const QString& member) const;

    QStringList calls;
    int failAddLine = 0;
    int listFromAttempt = 1; // 0: never
    int newListCalls = 0;
    bool failEveryCall = false;

private:
    void record(const QString& call);
};
