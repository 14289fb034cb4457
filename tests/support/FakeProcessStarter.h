#pragma once

#include "platform/ProcessStarter.h"

#include <QList>
#include <QSet>

// Records every start; processes "run" until a test ends them. failStarts makes starts fail.
class FakeProcessStarter : public ProcessStarter {
public:
    struct Started {
        QString program;
        QStringList arguments;
    };

    qint64 Start(const QString& program, const QStringList& arguments, QString& error) override;
    bool IsRunning(qint64 id) const override { return running.contains(id); }

    QList<Started> started;
    QSet<qint64> running;
    bool failStarts = false;
    qint64 nextId = 100;
};
