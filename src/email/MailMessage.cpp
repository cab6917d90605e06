#include "email/MailMessage.h"

#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cstdlib>

namespace MailFormat {
namespace {

constexpr int LineLimit = 76;           // body lines, and header lines where we can fold
constexpr int HeaderLineLimit = 78;     // header lines of plain words
constexpr int EncodedWordOverhead = 12; // "=?UTF-8?B?" + "?="

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

bool isPrintableAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

// Plain words need no encoding when a reader cannot take them for encoded words and each one
// fits a folded line.
bool fitsAsPlainWords(const QString &text)
{
    if (!isPrintableAscii(text) || text.contains(QStringLiteral("=?")))
        return false;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        if (word.size() + 1 > HeaderLineLimit)
            return false;
    }
    return true;
}

QByteArray foldedWords(const QString &text, int prefixLength)
{
    QByteArray out;
    int lineLength = prefixLength;
    bool first = true;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        if (first) {
            out += word.toLatin1();
            lineLength += word.size();
            first = false;
        } else if (lineLength + 1 + word.size() > HeaderLineLimit) {
            out += "\r\n " + word.toLatin1();
            lineLength = 1 + word.size();
        } else {
            out += ' ' + word.toLatin1();
            lineLength += 1 + word.size();
        }
    }
    return out;
}

// The most UTF-8 bytes whose base64 fits in an encoded word on a line with `used` characters.
int byteBudget(int used)
{
    const int base64Chars = (LineLimit - used - EncodedWordOverhead) / 4 * 4;
    return std::max(6, base64Chars / 4 * 3); // room for any one character
}

QByteArray encodedWord(const QByteArray &utf8)
{
    return "=?UTF-8?B?" + utf8.toBase64() + "?=";
}

// Encoded words of whole characters, one per line, the first sharing its line with the prefix.
QByteArray encodedWords(const QString &text, int prefixLength)
{
    QByteArray out;
    QByteArray chunk;
    int budget = byteBudget(prefixLength);
    auto flush = [&] {
        if (!out.isEmpty())
            out += "\r\n ";
        out += encodedWord(chunk);
        chunk.clear();
        budget = byteBudget(1);
    };
    for (int i = 0; i < text.size();) {
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray character = text.mid(i, length).toUtf8();
        if (!chunk.isEmpty() && chunk.size() + character.size() > budget)
            flush();
        chunk += character;
        i += length;
    }
    if (!chunk.isEmpty())
        flush();
    return out;
}

QByteArray quotedString(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return '"' + escaped.toLatin1() + '"';
}

QByteArray hex(unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    return QByteArray{"="} + digits[byte >> 4] + digits[byte & 0x0F];
}

void encodeLine(QByteArrayView line, QByteArray &out)
{
    QByteArray current;
    for (qsizetype k = 0; k < line.size(); ++k) {
        const auto byte = static_cast<unsigned char>(line[k]);
        const bool lastInLine = k == line.size() - 1;
        const bool literal = (byte >= 33 && byte <= 126 && byte != '=')
            || ((byte == ' ' || byte == '\t') && !lastInLine);
        const QByteArray token = literal ? QByteArray(1, static_cast<char>(byte)) : hex(byte);
        const qsizetype after = current.size() + token.size();
        // A soft break costs a "=", so a broken line carries 75 characters; the line's last
        // token may use the 76th.
        if (after > LineLimit - 1 && !(lastInLine && after <= LineLimit)) {
            out += current + "=\r\n";
            current.clear();
        }
        current += token;
    }
    out += current;
}

QByteArray recipients(const QStringList &recipients)
{
    QByteArray out = "To:";
    int lineLength = 3;
    bool first = true;
    for (const QString &recipient : recipients) {
        const QByteArray bare = bareAddress(recipient).toUtf8();
        if (bare.isEmpty())
            continue;
        if (!first && lineLength + 2 + bare.size() > HeaderLineLimit) {
            out += ",\r\n " + bare;
            lineLength = 1 + int(bare.size());
        } else {
            out += (first ? " " : ", ") + bare;
            lineLength += (first ? 1 : 2) + int(bare.size());
        }
        first = false;
    }
    return first ? QByteArray("To: undisclosed-recipients:;") : out;
}

} // namespace

QString headerText(const QString &text)
{
    QString cleaned = text;
    for (QChar &c : cleaned) {
        if (isControl(c.unicode()))
            c = QLatin1Char(' ');
    }
    return cleaned.simplified();
}

QString bareAddress(const QString &text)
{
    QString address = headerText(text);
    const qsizetype open = address.lastIndexOf(QLatin1Char('<'));
    const qsizetype close = open < 0 ? -1 : address.indexOf(QLatin1Char('>'), open);
    if (close > open)
        address = address.mid(open + 1, close - open - 1);
    address.removeIf(
        [](QChar c) { return c.isSpace() || c == QLatin1Char('<') || c == QLatin1Char('>'); });
    return address;
}

QStringList recipients(const QString &typed, const QString &separator)
{
    QStringList addresses;
    const QString split = separator.isEmpty() ? QStringLiteral(";") : separator;
    for (const QString &part : typed.split(split)) {
        const QString bare = bareAddress(part);
        if (!bare.isEmpty())
            addresses.append(bare);
    }
    return addresses;
}

QByteArray encodedText(const QString &text, int prefixLength)
{
    const QString cleaned = headerText(text);
    if (cleaned.isEmpty())
        return {};
    return fitsAsPlainWords(cleaned) ? foldedWords(cleaned, prefixLength)
                                     : encodedWords(cleaned, prefixLength);
}

QByteArray mailbox(const QString &name, const QString &address)
{
    const QString cleanName = headerText(name);
    const QByteArray bare = bareAddress(address).toUtf8();
    if (cleanName.isEmpty())
        return bare;
    const QByteArray displayName = isPrintableAscii(cleanName)
        ? quotedString(cleanName)
        : encodedWords(cleanName, int(sizeof("From: ") - 1));
    return displayName + " <" + bare + '>';
}

QByteArray quotedPrintable(const QByteArray &utf8)
{
    QByteArray out;
    out.reserve(utf8.size() * 11 / 10 + 16);
    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < utf8.size() && utf8[end] != '\r' && utf8[end] != '\n')
            ++end;
        encodeLine(QByteArrayView(utf8).sliced(start, end - start), out);
        if (end == utf8.size())
            break;
        out += "\r\n";
        start = end + (utf8[end] == '\r' && end + 1 < utf8.size() && utf8[end + 1] == '\n' ? 2 : 1);
    }
    return out;
}

QByteArray dateText(const QDateTime &when)
{
    const int offsetMinutes = when.offsetFromUtc() / 60;
    const int magnitude = std::abs(offsetMinutes);
    const QString offset = QStringLiteral("%1%2%3")
                               .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
                               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
    return (QLocale::c().toString(when, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss ")) + offset)
        .toLatin1();
}

QString idDomain(const QString &address)
{
    static const QRegularExpression hostName(
        QStringLiteral("^[a-z0-9]([a-z0-9-]*[a-z0-9])?(\\.[a-z0-9]([a-z0-9-]*[a-z0-9])?)+$"));
    const QString bare = bareAddress(address);
    const qsizetype at = bare.lastIndexOf(QLatin1Char('@'));
    const QString domain = at < 0 ? QString() : bare.mid(at + 1).toLower();
    return hostName.match(domain).hasMatch() ? domain : QStringLiteral("marlowin.local");
}

QByteArray compose(const MailMessage &message)
{
    const QDateTime date = message.date.isValid() ? message.date : QDateTime::currentDateTime();
    const QByteArray messageId = QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + '@'
        + idDomain(message.fromAddress).toLatin1();
    const QByteArray type = message.html ? "text/html" : "text/plain";

    QByteArray out;
    out += "Date: " + dateText(date) + "\r\n";
    out += "From: " + mailbox(message.fromName, message.fromAddress) + "\r\n";
    out += recipients(message.recipients) + "\r\n";
    out += "Subject: " + encodedText(message.subject, int(sizeof("Subject: ") - 1)) + "\r\n";
    out += "Message-ID: <" + messageId + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: " + type + "; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: quoted-printable\r\n";
    out += "X-Mailer: Marlowin\r\n";
    out += "\r\n";
    out += quotedPrintable(message.body.toUtf8());
    if (!out.endsWith("\r\n"))
        out += "\r\n";
    return out;
}

} // namespace MailFormat
