#pragma once

#include <QString>

namespace Text {

// True when the text is empty after trimming white space at both ends.
[[nodiscard]] inline bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// The text without the control characters that XML 1.0 cannot hold or that only disturb a
// reader: every one but tab, line feed and carriage return, and the two noncharacters U+FFFE and
// U+FFFF. Feeds send them by mistake (pasted from word processors, or bytes of another charset).
[[nodiscard]] inline QString withoutControlCharacters(QString text)
{
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7f && u <= 0x9f);
        return (control && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xfffe || u == 0xffff;
    });
    return text;
}

} // namespace Text
