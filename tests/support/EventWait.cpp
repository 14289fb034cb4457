#include "support/EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>

bool EventWait::Until(const std::function<bool()>& condition, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return condition();
}
