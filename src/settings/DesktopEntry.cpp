#include "settings/DesktopEntry.h"

#include <QFile>

namespace DesktopEntry {
namespace {

const QString kMainGroup = QStringLiteral("Desktop Entry");

// Autostart entries are a few hundred bytes; anything this large is not one, and reading it
// whole would only waste memory.
constexpr qint64 kMaxEntrySize = 1024 * 1024;

bool isGroupHeader(const QString &line)
{
    return line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'));
}

// The character that a backslash and this letter stand for in a value.
std::optional<QChar> escapedChar(QChar letter)
{
    switch (letter.unicode()) {
    case 's':
        return QLatin1Char(' ');
    case 'n':
        return QLatin1Char('\n');
    case 't':
        return QLatin1Char('\t');
    case 'r':
        return QLatin1Char('\r');
    case '\\':
        return QLatin1Char('\\');
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<Group> parseMainGroup(const QByteArray &bytes)
{
    Group main;
    bool inAnyGroup = false;
    bool inMain = false;
    bool mainSeen = false;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (isGroupHeader(line)) {
            inAnyGroup = true;
            inMain = line.mid(1, line.size() - 2) == kMainGroup;
            mainSeen = mainSeen || inMain;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inAnyGroup || equals <= 0)
            return std::nullopt;
        const QString key = line.left(equals).trimmed();
        if (key.isEmpty())
            return std::nullopt;
        if (inMain)
            main.insert(key, unescapedValue(line.mid(equals + 1).trimmed()));
    }
    if (!mainSeen)
        return std::nullopt;
    return main;
}

std::optional<Group> readMainGroup(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntrySize)
        return std::nullopt;
    return parseMainGroup(file.read(kMaxEntrySize));
}

std::optional<QStringList> execArguments(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        const bool hasNext = i + 1 < exec.size();
        if (c == QLatin1Char('%') && hasNext && exec.at(i + 1) == QLatin1Char('%')) {
            current += c;
            inArgument = true;
            ++i;
        } else if (inQuotes && c == QLatin1Char('\\') && hasNext) {
            current += exec.at(++i);
        } else if (c == QLatin1Char('"')) {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (!inQuotes && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inQuotes)
        return std::nullopt;
    if (inArgument)
        arguments.append(current);
    return arguments;
}

QString quotedExecArgument(const QString &argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        else if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return quoted + QLatin1Char('"');
}

QString escapedValue(const QString &value)
{
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapedValue(const QString &value)
{
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const std::optional<QChar> escaped = c == QLatin1Char('\\') && i + 1 < value.size()
            ? escapedChar(value.at(i + 1))
            : std::nullopt;
        if (escaped) {
            plain += *escaped;
            ++i;
        } else {
            plain += c;
        }
    }
    return plain;
}

} // namespace DesktopEntry
