#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace settings {

// The text of an INI file as a list of lines, edited in place so that a change touches only the
// line it concerns: comments, blank lines, unknown sections and the file's own line ends stay as
// they were. No file access; IniFile reads and writes the bytes.
//
// Reading rules:
// - lines end with LF or CR LF; a leading U+FEFF (byte-order mark) is kept on output;
// - "[name]" starts a section; lines starting with ";" or "#" are comments;
// - "key=value": spaces around the key and the value are dropped, and a value inside a matching
//   pair of double quotes loses them; a line without "=" is not a key;
// - section and key names match without regard to case;
// - a section named more than once is one section: its blocks are read in file order, and for a
//   key that occurs more than once the first occurrence counts;
// - lines before the first section header belong to no section.
// Section and key names given to the setters are plain names: no "=", "]" or line break, and
// not starting with "[", ";" or "#".
class IniText {
public:
    IniText() = default; // an empty file: new lines end with CR LF

    [[nodiscard]] static IniText parse(const QString &text);
    [[nodiscard]] QString toString() const;

    // The value of the key, or nothing when the section or the key is missing.
    [[nodiscard]] std::optional<QString> value(const QString &section, const QString &key) const;
    // The key names of the section in file order, each once; empty when the section is missing.
    [[nodiscard]] QStringList keys(const QString &section) const;
    [[nodiscard]] bool hasSection(const QString &section) const;

    // Replaces the key's value on its own line, or adds the key after the last key of its
    // section, or appends "[section]" and the key at the end of the text, after a blank line
    // when the text does not already end with one. A value is stored on one line: it is cut at
    // its first CR or LF. A value that would not read back as given (spaces at either end, or
    // itself wrapped in double quotes) is written inside double quotes.
    void setValue(const QString &section, const QString &key, const QString &value);

    // Removes every block of the section: its header and all lines up to the next header.
    // Returns whether anything was removed.
    bool removeSection(const QString &section);

private:
    enum class LineKind { Other, Section, Key };

    struct Line {
        QString text; // without its line end
        QString end;  // "\n", "\r\n", or empty for a last line without one
        LineKind kind = LineKind::Other;
        QString name; // section name or key name
        QString value;
    };

    [[nodiscard]] static Line classify(const QString &text, const QString &end);
    // Indexes of the lines that belong to the section (headers included), in file order.
    [[nodiscard]] QList<qsizetype> sectionLines(const QString &section) const;
    [[nodiscard]] qsizetype findKey(const QString &section, const QString &key) const;
    void insertLine(qsizetype index, const QString &text);
    void terminateLine(qsizetype index);
    void appendSection(const QString &section, const QString &keyLine);

    QList<Line> m_lines;
    QString m_lineEnd = QStringLiteral("\r\n");
    bool m_byteOrderMark = false;
};

} // namespace settings
