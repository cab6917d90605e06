#include "platform/EventPump.h"

#include <QEventLoop>
#include <QTimer>

namespace platform {

void doEvents(int maxWaitMs)
{
    QEventLoop loop;
    QTimer::singleShot(maxWaitMs, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace platform
