#include "common/ErrorReport.h"

#include "platform/Context.h"
#include "platform/MessageBoxes.h"

namespace ErrorReport {

void show(const platform::Context &ctx, const QString &operation, int step,
          const QString &description)
{
    ctx.messages.error(operation + QStringLiteral(" Function"),
                       QStringLiteral("Error on Line ") + QString::number(step)
                           + QStringLiteral("\r\n\r\n") + description);
}

} // namespace ErrorReport
