#pragma once

#include <QString>

namespace Text {

// True when the text is empty after trimming white space at both ends.
[[nodiscard]] inline bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

} // namespace Text
