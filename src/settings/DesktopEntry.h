#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Reading and writing the small part of the freedesktop.org desktop entry format that autostart
// entries need: the keys of the [Desktop Entry] group, the value escapes (\s \n \t \r \\) and the
// quoting rules of the Exec key.
namespace DesktopEntry {

using Group = QHash<QString, QString>;

// The keys of the [Desktop Entry] group with their value escapes resolved; a repeated key keeps
// its last value. Nothing when the text is no desktop entry: no such group, a key before the
// first group, or a line that is neither a comment, a group header nor "key=value".
[[nodiscard]] std::optional<Group> parseMainGroup(const QByteArray &bytes);

// The same for a file; nothing when it cannot be read or is far larger than any real entry.
[[nodiscard]] std::optional<Group> readMainGroup(const QString &path);

// The command line of an Exec value (escapes already resolved) split into its arguments, with
// quotes removed, backslash escapes inside quotes and "%%" resolved; field codes such as %U are
// left as they are. Nothing when a quote is left open.
[[nodiscard]] std::optional<QStringList> execArguments(const QString &exec);

// One Exec argument in double quotes, with the characters that are special inside them
// (" ` $ \) escaped and "%" doubled, so that execArguments gives the argument back unchanged.
[[nodiscard]] QString quotedExecArgument(const QString &argument);

// A value as written after "key=": backslashes and control characters escaped, a leading space
// written as \s.
[[nodiscard]] QString escapedValue(const QString &value);

// The value's escapes resolved; an unknown escape is kept as written (\; separates list items).
[[nodiscard]] QString unescapedValue(const QString &value);

} // namespace DesktopEntry
