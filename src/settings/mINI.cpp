#include "settings/mINI.h"

#include "platform/AtomicFile.h"
#include "platform/TextCodec.h"
#include "settings/IniText.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace mINI {

QString IniFileName;
qint32 IniBufferSize = 0;

namespace {

constexpr QChar kNul(u'\0');
const QByteArray kUtf8ByteOrderMark("\xEF\xBB\xBF");

void CheckState()
{
    if (IniBufferSize <= 0)
        throw IniError(QStringLiteral("Buffer size not set"));
    if (IniFileName.isEmpty())
        throw IniError(QStringLiteral("Filename not set"));
}

// The file's text; an empty text for a missing file, nothing for one that cannot be read.
std::optional<settings::IniText> LoadFile()
{
    if (!QFileInfo::exists(IniFileName))
        return settings::IniText();
    QFile file(IniFileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // The decoder drops a byte-order mark; the text keeps it so that the rewrite keeps it too.
    QString text = platform::DecodeTextFile(bytes);
    if (bytes.startsWith(kUtf8ByteOrderMark))
        text.prepend(QChar(0xFEFF));
    return settings::IniText::parse(text);
}

void SaveFile(const settings::IniText &ini)
{
    // The file holds the mail password: owner only, and an existing file that is more open is
    // narrowed on this rewrite. A failed write is lost; callers have no way to act on it.
    static_cast<void>(platform::WriteFileAtomically(
        IniFileName, ini.toString().toUtf8(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

// A read copies at most IniBufferSize - 1 characters, leaving room for the terminator.
QString CutToBuffer(const QString &text)
{
    const qsizetype capacity = IniBufferSize - 1;
    return text.size() > capacity ? text.left(capacity) : text;
}

} // namespace

IniError::IniError(const QString &description)
    : std::runtime_error(description.toStdString()), m_description(description)
{
}

void InitIni(const QString &fileName, qint32 bufferSize)
{
    IniFileName = fileName;
    IniBufferSize = bufferSize;
}

QString ReadIniValue(const QString &section, const QString &key, const QString &defaultValue)
{
    CheckState();
    std::optional<QString> stored;
    if (const auto ini = LoadFile())
        stored = ini->value(section, key);
    return UnescapeLineBreaks(CutToBuffer(stored.value_or(defaultValue)));
}

void WriteIniValue(const QString &section, const QString &key, const QString &value)
{
    CheckState();
    auto ini = LoadFile();
    if (!ini)
        return;
    ini->setValue(section, key, EscapeLineBreaks(value));
    SaveFile(*ini);
}

QString ReadIniSection(const QString &section)
{
    CheckState();
    QString names;
    if (const auto ini = LoadFile()) {
        for (const QString &name : ini->keys(section))
            names += name + kNul;
    }
    // The buffer holds each name with its terminator and one more terminator at the end; a
    // list that does not fit is cut two characters short of the capacity. The count n excludes
    // that final terminator, and the result drops the last name's own terminator as well.
    qsizetype count = names.size();
    if (count + 1 > IniBufferSize)
        count = std::max<qsizetype>(IniBufferSize - 2, 0);
    if (count == 0)
        return QString(IniBufferSize, kNul);
    return names.left(count - 1);
}

void DeleteIniSection(const QString &section)
{
    CheckState();
    auto ini = LoadFile();
    if (ini && ini->removeSection(section))
        SaveFile(*ini);
}

QString EscapeLineBreaks(QString text)
{
    return text.replace(QStringLiteral("\r\n"), LineBreakEscape);
}

QString UnescapeLineBreaks(QString text)
{
    return text.replace(LineBreakEscape, QStringLiteral("\r\n"));
}

} // namespace mINI
