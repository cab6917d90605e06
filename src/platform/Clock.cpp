#include "platform/Clock.h"

#include <QDeadlineTimer>

namespace platform {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::tickCount() const
{
    return QDeadlineTimer::current().deadline();
}

} // namespace platform
