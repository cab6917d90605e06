#include "platform/Icons.h"

namespace platform {

QIcon namedIcon(const QString &name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

} // namespace platform
