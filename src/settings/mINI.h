#pragma once

#include <QLatin1String>
#include <QString>

#include <concepts>
#include <stdexcept>

// Key-by-key access to one INI file, the configuration file. The caller names the file and the
// read-buffer size once with InitIni and then makes any number of calls; each call opens, reads
// and (for a change) rewrites the whole file, so nothing is held open between calls.
//
// A stored value is one line: a CR LF inside a value is written as LineBreakEscape and turned
// back into CR LF when read. A missing or unreadable file reads as an empty one. Every change
// rewrites the file atomically as UTF-8, readable and writable by its owner only (it holds the
// mail password). A change to a file that exists but cannot be read is dropped rather than
// replacing the file's content. Failed writes are not reported.
namespace mINI {

// Module state, set by InitIni. Single-threaded: all callers share one file.
extern QString IniFileName;  // full path of the INI file; empty until InitIni
extern qint32 IniBufferSize; // capacity of a read, in characters; 0 until InitIni

inline constexpr int IniErrorNumber = 670;
inline constexpr QLatin1String LineBreakEscape{"%%&&Chr(13)&&%%"};

// Raised by the file operations when InitIni has not set the buffer size ("Buffer size not
// set", checked first) or the file name ("Filename not set"). The file is not touched.
class IniError : public std::runtime_error {
public:
    explicit IniError(const QString &description);
    [[nodiscard]] int number() const { return IniErrorNumber; }
    [[nodiscard]] QString source() const { return QStringLiteral("INIReadWrite"); }
    [[nodiscard]] QString description() const { return m_description; }

private:
    QString m_description;
};

// Stores both values; no check is made here.
void InitIni(const QString &fileName, qint32 bufferSize);

// The key's value, or defaultValue when the file, the section or the key is missing. Either one
// is cut to IniBufferSize - 1 characters, and then every LineBreakEscape becomes CR LF. An empty
// stored value gives empty text whatever the default.
[[nodiscard]] QString ReadIniValue(const QString &section, const QString &key,
                                   const QString &defaultValue);

// Writes the value, creating the file, the section and the key as needed; every CR LF becomes
// LineBreakEscape. A lone CR or LF is not escaped, and a value is stored on one line only, so
// such a value is kept up to that character.
void WriteIniValue(const QString &section, const QString &key, const QString &value);

// Integers as plain decimal digits with a leading "-" when negative; flags as "1" or "0".
template <typename T>
    requires std::integral<T>
void WriteIniValue(const QString &section, const QString &key, T value)
{
    if constexpr (std::same_as<T, bool>)
        WriteIniValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
    else
        WriteIniValue(section, key, QString::number(value));
}

// The key names of the section in file order, separated by single NUL characters (no NUL after
// the last). A missing file, a missing section or a section without keys gives IniBufferSize
// NUL characters: callers that split the result get more pieces than any real list has. A list
// longer than the buffer is cut, as a read is. No escape replacement.
[[nodiscard]] QString ReadIniSection(const QString &section);

// Removes the section with all its lines; nothing is written when it is absent.
void DeleteIniSection(const QString &section);

// The stored form of a value and back: exact, case-sensitive, every occurrence.
[[nodiscard]] QString EscapeLineBreaks(QString text);
[[nodiscard]] QString UnescapeLineBreaks(QString text);

} // namespace mINI
