#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/TextCodec.h"
#include "settings/IniText.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr QChar kNul(u'\0');
const QByteArray kUtf8ByteOrderMark("\xEF\xBB\xBF");

// The file's text; an empty text for a missing file, nothing for one that cannot be read.
std::optional<settings::IniText> loadFile(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        return settings::IniText();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // The decoder drops a byte-order mark; the text keeps it so that the rewrite keeps it too.
    QString text = platform::decodeTextFile(bytes);
    if (bytes.startsWith(kUtf8ByteOrderMark))
        text.prepend(QChar(0xFEFF));
    return settings::IniText::parse(text);
}

void saveFile(const QString &fileName, const settings::IniText &ini)
{
    // The file holds the mail password: owner only, and an existing file that is more open is
    // narrowed on this rewrite. A failed write is lost; callers have no way to act on it.
    static_cast<void>(platform::writeFileAtomically(
        fileName, ini.toString().toUtf8(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

// A read copies at most bufferSize - 1 characters, leaving room for the terminator.
QString cutToBuffer(const QString &text, qint32 bufferSize)
{
    const qsizetype capacity = bufferSize - 1;
    return text.size() > capacity ? text.left(capacity) : text;
}

} // namespace

IniFile::Error::Error(const QString &description)
    : std::runtime_error(description.toStdString())
    , m_description(description)
{
}

IniFile::IniFile(QString fileName, qint32 bufferSize)
    : m_fileName(std::move(fileName))
    , m_bufferSize(bufferSize)
{
}

void IniFile::checkState() const
{
    if (m_bufferSize <= 0)
        throw Error(QStringLiteral("Buffer size not set"));
    if (m_fileName.isEmpty())
        throw Error(QStringLiteral("Filename not set"));
}

QString IniFile::read(const QString &section, const QString &key, const QString &defaultValue) const
{
    checkState();
    std::optional<QString> stored;
    if (const auto ini = loadFile(m_fileName))
        stored = ini->value(section, key);
    return unescapeLineBreaks(cutToBuffer(stored.value_or(defaultValue), m_bufferSize));
}

void IniFile::write(const QString &section, const QString &key, const QString &value) const
{
    checkState();
    auto ini = loadFile(m_fileName);
    if (!ini)
        return;
    ini->setValue(section, key, escapeLineBreaks(value));
    saveFile(m_fileName, *ini);
}

QString IniFile::readSection(const QString &section) const
{
    checkState();
    QString names;
    if (const auto ini = loadFile(m_fileName)) {
        for (const QString &name : ini->keys(section))
            names += name + kNul;
    }
    // The buffer holds each name with its terminator and one more terminator at the end; a
    // list that does not fit is cut two characters short of the capacity. The count n excludes
    // that final terminator, and the result drops the last name's own terminator as well.
    qsizetype count = names.size();
    if (count + 1 > m_bufferSize)
        count = std::max<qsizetype>(m_bufferSize - 2, 0);
    if (count == 0)
        return QString(m_bufferSize, kNul);
    return names.left(count - 1);
}

void IniFile::removeSection(const QString &section) const
{
    checkState();
    auto ini = loadFile(m_fileName);
    if (ini && ini->removeSection(section))
        saveFile(m_fileName, *ini);
}

QString IniFile::escapeLineBreaks(QString text)
{
    return text.replace(QStringLiteral("\r\n"), LineBreakEscape);
}

QString IniFile::unescapeLineBreaks(QString text)
{
    return text.replace(LineBreakEscape, QStringLiteral("\r\n"));
}
