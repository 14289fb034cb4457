#pragma once

#include "listmgr/ListManager.h"

#include <QStringList>

// Records every call as "Member" or "Member argument"; AddLine fails while failAddLine > 0
// (counting down; negative fails for ever), NewList answers true from the given attempt on.
class FakeListManager : public ListManager {
public:
    bool NewList() override;
    void OpenList(const QString& path) override { calls << "OpenList " + path; }
    void Start() override { calls << "Start"; }
    void Hold() override { calls << "Hold"; }
    void End() override { calls << "End"; }
    void Setpoint() override { calls << "Setpoint"; }
    void AddLine(const QString& line) override;
    void ClearList() override { calls << "ClearList"; }
    void Visible(bool visible) override { calls << (visible ? "Visible True" : "Visible False"); }
    void Clear() override { calls << "Clear"; }

    int Count(const QString& member) const;

    QStringList calls;
    int failAddLine = 0;
    int listFromAttempt = 1; // 0: never
    int newListCalls = 0;
};
