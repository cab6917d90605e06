#include "settings/IniText.h"

#include <algorithm>

namespace settings {
namespace {

constexpr QChar kByteOrderMark(0xFEFF);
constexpr QChar kQuote(u'"');

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isQuoted(const QString &text)
{
    return text.size() >= 2 && text.startsWith(kQuote) && text.endsWith(kQuote);
}

// The value as it must stand in the file to read back unchanged.
QString storedValue(QString value)
{
    const auto lineBreak = std::find_if(value.cbegin(), value.cend(),
                                        [](QChar c) { return c == u'\r' || c == u'\n'; });
    value.truncate(lineBreak - value.cbegin());
    if (value != value.trimmed() || isQuoted(value))
        return kQuote + value + kQuote;
    return value;
}

// The key line's text up to where its value starts, so that a replaced value keeps the line's
// own spelling of the key and spacing around "=".
QString keyLinePrefix(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    qsizetype start = equals + 1;
    while (start < line.size() && line.at(start).isSpace())
        ++start;
    return start < line.size() ? line.left(start) : line.left(equals + 1);
}

} // namespace

IniText IniText::parse(const QString &text)
{
    IniText ini;
    qsizetype position = 0;
    if (text.startsWith(kByteOrderMark)) {
        ini.m_byteOrderMark = true;
        position = 1;
    }
    bool lineEndKnown = false;
    while (position < text.size()) {
        const qsizetype feed = text.indexOf(u'\n', position);
        if (feed < 0) {
            ini.m_lines.append(classify(text.mid(position), QString()));
            break;
        }
        const bool crlf = feed > position && text.at(feed - 1) == u'\r';
        const qsizetype textEnd = crlf ? feed - 1 : feed;
        const QString end = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
        ini.m_lines.append(classify(text.mid(position, textEnd - position), end));
        if (!lineEndKnown) {
            ini.m_lineEnd = end;
            lineEndKnown = true;
        }
        position = feed + 1;
    }
    return ini;
}

QString IniText::toString() const
{
    QString text;
    if (m_byteOrderMark)
        text += kByteOrderMark;
    for (const Line &line : m_lines)
        text += line.text + line.end;
    return text;
}

IniText::Line IniText::classify(const QString &text, const QString &end)
{
    Line line{text, end, LineKind::Other, {}, {}};
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
        return line;
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        line.kind = LineKind::Section;
        line.name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
        return line;
    }
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals <= 0)
        return line;
    line.name = trimmed.left(equals).trimmed();
    if (line.name.isEmpty())
        return line;
    line.kind = LineKind::Key;
    line.value = trimmed.mid(equals + 1).trimmed();
    if (isQuoted(line.value))
        line.value = line.value.mid(1, line.value.size() - 2);
    return line;
}

QList<qsizetype> IniText::sectionLines(const QString &section) const
{
    QList<qsizetype> indexes;
    bool inside = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines.at(i).kind == LineKind::Section)
            inside = sameName(m_lines.at(i).name, section);
        if (inside)
            indexes.append(i);
    }
    return indexes;
}

qsizetype IniText::findKey(const QString &section, const QString &key) const
{
    for (const qsizetype i : sectionLines(section)) {
        const Line &line = m_lines.at(i);
        if (line.kind == LineKind::Key && sameName(line.name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniText::value(const QString &section, const QString &key) const
{
    const qsizetype index = findKey(section, key);
    if (index < 0)
        return std::nullopt;
    return m_lines.at(index).value;
}

QStringList IniText::keys(const QString &section) const
{
    QStringList names;
    for (const qsizetype i : sectionLines(section)) {
        const Line &line = m_lines.at(i);
        if (line.kind == LineKind::Key && !names.contains(line.name, Qt::CaseInsensitive))
            names.append(line.name);
    }
    return names;
}

bool IniText::hasSection(const QString &section) const
{
    return !sectionLines(section).isEmpty();
}

void IniText::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString stored = storedValue(value);
    const qsizetype existing = findKey(section, key);
    if (existing >= 0) {
        Line &line = m_lines[existing];
        line = classify(keyLinePrefix(line.text) + stored, line.end);
        return;
    }
    const QString keyLine = key + u'=' + stored;
    // After the last key, or after the header when the section has no key yet: comments and
    // blank lines that close the section stay below the new key.
    qsizetype anchor = -1;
    for (const qsizetype i : sectionLines(section)) {
        if (m_lines.at(i).kind != LineKind::Other)
            anchor = i;
    }
    if (anchor < 0) {
        appendSection(section, keyLine);
        return;
    }
    insertLine(anchor + 1, keyLine);
}

bool IniText::removeSection(const QString &section)
{
    const QList<qsizetype> indexes = sectionLines(section);
    for (auto i = indexes.crbegin(); i != indexes.crend(); ++i)
        m_lines.removeAt(*i);
    return !indexes.isEmpty();
}

void IniText::insertLine(qsizetype index, const QString &text)
{
    if (index > 0)
        terminateLine(index - 1);
    m_lines.insert(index, classify(text, m_lineEnd));
}

void IniText::terminateLine(qsizetype index)
{
    if (m_lines.at(index).end.isEmpty())
        m_lines[index].end = m_lineEnd;
}

void IniText::appendSection(const QString &section, const QString &keyLine)
{
    if (!m_lines.isEmpty() && !m_lines.constLast().text.trimmed().isEmpty())
        insertLine(m_lines.size(), QString());
    insertLine(m_lines.size(), u'[' + section + u']');
    insertLine(m_lines.size(), keyLine);
}

} // namespace settings
