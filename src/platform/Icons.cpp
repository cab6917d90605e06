#include "platform/Icons.h"

namespace platform {

QIcon NamedIcon(const QString &name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

} // namespace platform
