#include "platform/TextCodec.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <optional>

namespace platform {
namespace {

constexpr auto kWindows1252 = "windows-1252";

// Charsets that documents name but mean Windows-1252.
QByteArray canonicalCharset(QByteArray name)
{
    name = name.trimmed().toLower();
    if (name.startsWith('"') && name.endsWith('"') && name.size() >= 2)
        name = name.mid(1, name.size() - 2);
    if (name == "iso-8859-1" || name == "iso8859-1" || name == "latin1" || name == "latin-1"
        || name == "l1" || name == "us-ascii" || name == "ascii" || name == "cp1252")
        return kWindows1252;
    return name;
}

std::optional<QString> decodeStrictly(const QByteArray &bytes, QStringDecoder &decoder)
{
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> decodeAs(const QByteArray &bytes, const QByteArray &charset)
{
    if (charset.isEmpty())
        return std::nullopt;
    QStringDecoder decoder(canonicalCharset(charset).constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    return QString(decoder.decode(bytes));
}

QString decodeUtf8OrWindows1252(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    if (auto text = decodeStrictly(bytes, utf8))
        return *text;
    return fromWindows1252(bytes);
}

std::optional<QString> decodeByByteOrder(const QByteArray &bytes)
{
    // A mark settles the charset; so does UTF-16 or UTF-32 text whose first character is "<".
    const auto encoding = QStringConverter::encodingForData(bytes, u'<');
    if (!encoding)
        return std::nullopt;
    QStringDecoder decoder(*encoding);
    return QString(decoder.decode(bytes));
}

} // namespace

QByteArray charsetOfContentType(const QByteArray &contentType)
{
    static const QRegularExpression charset(QStringLiteral(R"(;\s*charset\s*=\s*("?)([^";\s]+)\1)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const auto match = charset.match(QString::fromLatin1(contentType));
    return match.hasMatch() ? match.captured(2).toLatin1() : QByteArray();
}

QByteArray encodingOfXmlDeclaration(const QByteArray &bytes)
{
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\s*<\?xml[^>]*?\sencoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    const auto match = declaration.match(QString::fromLatin1(bytes.left(512)));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

QString decodeDocument(const QByteArray &bytes, const QByteArray &transportCharset)
{
    if (auto text = decodeByByteOrder(bytes))
        return *text;
    if (auto text = decodeAs(bytes, transportCharset))
        return *text;
    if (auto text = decodeAs(bytes, encodingOfXmlDeclaration(bytes)))
        return *text;
    return decodeUtf8OrWindows1252(bytes);
}

QByteArray decodeDocumentToUtf8(const QByteArray &bytes, const QByteArray &transportCharset)
{
    const auto isUtf8 = [](const QByteArray &charset) {
        const QByteArray name = canonicalCharset(charset);
        return name == "utf-8" || name == "utf8";
    };
    const bool namedUtf8 = transportCharset.isEmpty()
        ? encodingOfXmlDeclaration(bytes).isEmpty() || isUtf8(encodingOfXmlDeclaration(bytes))
        : isUtf8(transportCharset);
    if (namedUtf8 && !QStringConverter::encodingForData(bytes, u'<') && bytes.isValidUtf8())
        return bytes;
    return decodeDocument(bytes, transportCharset).toUtf8();
}

QString decodeTextFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeUtf8OrWindows1252(bytes.mid(3));
    return decodeUtf8OrWindows1252(bytes);
}

QByteArray toWindows1252(const QString &text)
{
    // Links are nearly always plain ASCII, which needs no codec.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    QStringEncoder encoder(kWindows1252, QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // Encode unit by unit so that each unit the code page lacks becomes one "?", as the
    // system's own conversion does; surrogate pairs become "??".
    bytes.clear();
    bytes.reserve(text.size());
    for (const QChar unit : text) {
        if (unit.unicode() < 0x80) {
            bytes.append(char(unit.unicode()));
            continue;
        }
        QStringEncoder single(kWindows1252, QStringEncoder::Flag::Stateless);
        const QByteArray one = single.encode(QStringView(&unit, 1));
        bytes.append(single.hasError() || one.size() != 1 ? QByteArray("?") : one);
    }
    return bytes;
}

QString fromWindows1252(const QByteArray &bytes)
{
    QStringDecoder decoder(kWindows1252, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace platform
