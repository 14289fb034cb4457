#include "platform/EventLoopPauser.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void EventLoopPauser::Pause(double seconds)
{
    ProcessEvents();
    const int ms = static_cast<int>(seconds * 1000.0);
    if (ms > 0) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    ProcessEvents();
}

void EventLoopPauser::ProcessEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
