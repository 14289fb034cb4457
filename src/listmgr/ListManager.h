#pragma once

#include "listmgr/ListFields.h"

#include <QString>

// The machine's list manager as Tarvex drives it: the members of its application object
// (NewList, OpenList, Start, Hold, End, Setpoint), of its work-list object (AddLine, ClearList)
// and of the fallback work list (Visible, Clear). Every member is synchronous and reports a
// failure by throwing RuntimeError; a list file that does not exist is error 53.
class ListManager {
public:
    virtual ~ListManager() = default;

    // Application object.
    // True when the application handed out its work list (it may not be ready yet).
    virtual bool NewList() = 0;
    // Loads the list file at the path (Windows form, as the caller built it).
    virtual void OpenList(const QString& path) = 0;
    virtual void Start() = 0;
    virtual void Hold() = 0;
    virtual void End() = 0;
    virtual void Setpoint() = 0;

    // Work-list object.
    virtual void AddLine(const ListFields& line) = 0;
    virtual void ClearList() = 0;

    // Fallback work list.
    virtual void Visible(bool visible) = 0;
    virtual void Clear() = 0;

    // True when the work list lives in Tarvex and only the machine control behind it may be
    // away: start-up can go on without the machine, lines are still taken, and the server
    // connects by itself later.
    virtual bool KeepsListWhileAway() const { return false; }
    // For such a server: where the machine control was looked for and what kept it away, in the
    // operator's words ("LinuxCNC at 127.0.0.1:5007: connection refused ...").
    virtual QString WhyAway() const { return QString(); }
};
