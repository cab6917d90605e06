#pragma once

#include <QChar>
#include <QStringView>

#include <cstddef>
#include <string_view>

// Small readers of the digits and English words that dates are written in. ASCII only: Qt's
// isDigit and case folding also take characters of other scripts, which no date field holds.
namespace DateText {

inline bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

inline bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

inline bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

// Value of a run of at most four digits; callers check the form first.
inline int digitsValue(QStringView digits)
{
    int value = 0;
    for (const QChar c : digits)
        value = value * 10 + (c.unicode() - u'0');
    return value;
}

// lowerName is lower-case ASCII; text matches it in any case, ASCII letters only.
inline bool equalsIgnoringAsciiCase(QStringView text, std::string_view lowerName)
{
    if (static_cast<std::size_t>(text.size()) != lowerName.size())
        return false;
    for (std::size_t i = 0; i < lowerName.size(); ++i) {
        const QChar c = text[static_cast<qsizetype>(i)];
        if (!isAsciiLetter(c) || (c.unicode() | 0x20) != static_cast<char16_t>(lowerName[i]))
            return false;
    }
    return true;
}

} // namespace DateText
