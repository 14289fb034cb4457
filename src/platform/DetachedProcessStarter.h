#pragma once

#include "platform/ProcessStarter.h"

// Programs started detached: they are not children of Tarvex, so closing Tarvex leaves them
// open, and they are never left behind as zombies.
class DetachedProcessStarter : public ProcessStarter {
public:
    qint64 Start(const QString& program, const QStringList& arguments, QString& error) override;
    bool IsRunning(qint64 id) const override;
};
