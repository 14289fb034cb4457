#include "platform/SystemClock.h"

#include <QDeadlineTimer>

qint64 SystemClock::NowMs()
{
    return QDeadlineTimer::current().deadline();
}
