#pragma once

#include <QChar>
#include <QStringView>

#include <cstddef>
#include <string_view>

// Small readers of the digits and English words that dates are written in. ASCII only: Qt's
// isDigit and case folding also take characters of other scripts, which no date field holds.
namespace DateText {

inline bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

inline bool IsAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

inline bool AllDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

// Value of a run of at most four digits; callers check the form first.
inline int DigitsValue(QStringView digits)
{
    int value = 0;
    for (const QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

// lowerName is lower-case ASCII; text matches it in any case, ASCII letters only.
inline bool EqualsIgnoringAsciiCase(QStringView text, std::string_view lowerName)
{
    if (static_cast<std::size_t>(text.size()) != lowerName.size())
        return false;
    for (std::size_t i = 0; i < lowerName.size(); ++i) {
        const QChar c = text[static_cast<qsizetype>(i)];
        if (!IsAsciiLetter(c) || (c.unicode() | 0x20) != static_cast<char16_t>(lowerName[i]))
            return false;
    }
    return true;
}

} // namespace DateText
