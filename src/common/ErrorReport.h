#pragma once

#include <QString>

namespace platform {
struct Context;
}

namespace ErrorReport {

// How an operation of the program reports a failure it did not expect: an error box titled with
// the operation's name and " Function" ("AddFeed Function"), whose text is "Error on Line ", the
// number of the failing step within the operation, two line breaks and the failure's
// description. The operation then returns its neutral result.
void show(const platform::Context &ctx, const QString &operation, int step,
          const QString &description);

} // namespace ErrorReport
