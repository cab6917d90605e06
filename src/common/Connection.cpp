#include "common/Connection.h"

#include "platform/ConnectionState.h"
#include "platform/Context.h"

namespace Connection {

bool waitFor(const platform::Context &ctx, platform::MessageIcon icon, const QString &title,
             const QString &text)
{
    while (!ctx.connection.isConnected()) {
        if (!ctx.messages.retry(icon, title, text))
            return false;
    }
    return true;
}

} // namespace Connection
