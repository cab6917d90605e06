#include "settings/EmailValue.h"

#include "common/Scramble.h"

#include <QByteArray>
#include <QStringDecoder>

namespace EmailValue {
namespace {

const QLatin1String kMarker("u8:");

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool isUnreserved(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '~';
}

// Only what stored() writes: unreserved characters and complete escapes.
bool isPercentEncoded(const QByteArray &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))
                return false;
            i += 2;
        } else if (!isUnreserved(text[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

QString stored(const QString &value)
{
    if (value.isEmpty())
        return {};
    return kMarker + QString::fromLatin1(value.toUtf8().toPercentEncoding());
}

std::optional<QString> read(const QString &stored)
{
    if (stored.startsWith(kMarker)) {
        const QByteArray encoded = stored.mid(kMarker.size()).toLatin1();
        if (!isPercentEncoded(encoded))
            return std::nullopt;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString value = utf8.decode(QByteArray::fromPercentEncoding(encoded));
        if (utf8.hasError())
            return std::nullopt;
        return value;
    }
    bool ok = false;
    QString value = Scramble::unscramble(stored, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace EmailValue
