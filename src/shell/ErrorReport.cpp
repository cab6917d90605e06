#include "shell/ErrorReport.h"

#include "platform/Context.h"
#include "platform/MessageBoxes.h"

namespace mUtil {

void ReportError(const platform::Context &ctx, const QString &operation, int line,
                 const QString &description)
{
    ctx.messages.error(operation + QStringLiteral(" Function"),
                       QStringLiteral("Error on Line ") + QString::number(line)
                           + QStringLiteral("\r\n\r\n") + description);
}

} // namespace mUtil
