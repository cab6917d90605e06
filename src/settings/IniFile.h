#pragma once

#include <QLatin1String>
#include <QString>

#include <concepts>
#include <stdexcept>

// Key-by-key access to one INI file, the configuration file. Each call opens, reads and (for a
// change) rewrites the whole file, so nothing is held open between calls.
//
// A stored value is one line: a CR LF inside a value is written as LineBreakEscape and turned
// back into CR LF when read. A missing or unreadable file reads as an empty one. Every change
// rewrites the file atomically as UTF-8, readable and writable by its owner only (it holds the
// mail password). A change to a file that exists but cannot be read is dropped rather than
// replacing the file's content. Failed writes are not reported.
class IniFile {
public:
    static constexpr int kErrorNumber = 670;
    static constexpr QLatin1String LineBreakEscape{"%%&&Chr(13)&&%%"};

    // Raised by the file operations when the object has no buffer size ("Buffer size not set",
    // checked first) or no file name ("Filename not set"). The file is not touched.
    class Error : public std::runtime_error {
    public:
        explicit Error(const QString &description);
        [[nodiscard]] int number() const { return kErrorNumber; }
        [[nodiscard]] QString source() const { return QStringLiteral("INIReadWrite"); }
        [[nodiscard]] QString description() const { return m_description; }

    private:
        QString m_description;
    };

    // bufferSize bounds what a read returns, in characters, as the file's earlier readers did.
    IniFile(QString fileName, qint32 bufferSize);

    [[nodiscard]] const QString &fileName() const { return m_fileName; }

    // The key's value, or defaultValue when the file, the section or the key is missing. Either
    // one is cut to bufferSize - 1 characters, and then every LineBreakEscape becomes CR LF. An
    // empty stored value gives empty text whatever the default.
    [[nodiscard]] QString read(const QString &section, const QString &key,
                               const QString &defaultValue) const;

    // Writes the value, creating the file, the section and the key as needed; every CR LF
    // becomes LineBreakEscape. A lone CR or LF is not escaped, and a value is stored on one line
    // only, so such a value is kept up to that character.
    void write(const QString &section, const QString &key, const QString &value) const;

    // Integers as plain decimal digits with a leading "-" when negative; flags as "1" or "0".
    template<typename T>
    requires std::integral<T>
    void write(const QString &section, const QString &key, T value) const
    {
        if constexpr (std::same_as<T, bool>)
            write(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
        else
            write(section, key, QString::number(value));
    }

    // The key names of the section in file order, separated by single NUL characters (no NUL
    // after the last). A missing file, a missing section or a section without keys gives
    // bufferSize NUL characters: callers that split the result get more pieces than any real
    // list has. A list longer than the buffer is cut, as a read is. No escape replacement.
    [[nodiscard]] QString readSection(const QString &section) const;

    // Removes the section with all its lines; nothing is written when it is absent.
    void removeSection(const QString &section) const;

    // The stored form of a value and back: exact, case-sensitive, every occurrence.
    [[nodiscard]] static QString escapeLineBreaks(QString text);
    [[nodiscard]] static QString unescapeLineBreaks(QString text);

private:
    void checkState() const;

    QString m_fileName;
    qint32 m_bufferSize;
};
