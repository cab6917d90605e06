#include "common/Scramble.h"

#include "common/Text.h"
#include "platform/TextCodec.h"

#include <QByteArray>

#include <algorithm>

namespace Scramble {
namespace {

QString reversed(QString text)
{
    std::reverse(text.begin(), text.end());
    return text;
}

} // namespace

QString scramble(const QString &text)
{
    if (Text::isBlank(text))
        return {};
    QString groups;
    groups.reserve(text.size() * 4);
    for (const char code : platform::toWindows1252(reversed(text)))
        groups += QStringLiteral("%1").arg(uchar(code) * 7, 4, 10, QLatin1Char('0'));
    return reversed(groups);
}

QString unscramble(const QString &text, bool *ok)
{
    if (ok)
        *ok = true;
    if (Text::isBlank(text))
        return {};
    const QString digits = reversed(text);
    QByteArray codes;
    for (qsizetype at = 0; at < digits.size(); at += 4) {
        bool isNumber = false;
        const int product = digits.mid(at, 4).toInt(&isNumber);
        const int code = qRound(product / 7.0);
        if (!isNumber || code < 0 || code > 255) {
            if (ok)
                *ok = false;
            return {};
        }
        codes.append(char(code));
    }
    return reversed(platform::fromWindows1252(codes));
}

} // namespace Scramble
