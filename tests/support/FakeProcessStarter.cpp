#include "support/FakeProcessStarter.h"

qint64 FakeProcessStarter::Start(const QString& program, const QStringList& arguments, QString& error)
{
    started.append({program, arguments});
    if (failStarts) {
        error = program + QStringLiteral(" does not exist");
        return 0;
    }
    running.insert(nextId);
    return nextId++;
}
