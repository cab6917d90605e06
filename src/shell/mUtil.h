#pragma once

#include "platform/MessageBoxes.h"

#include <QLocale>
#include <QString>
#include <QStringList>

namespace platform {
struct Context;
}

// Small stateless helpers that every subsystem calls. The functions that can fail (FileExists,
// FolderExists, IsConnected, WriteTextFile, ReadTextFile) report their own failure in an
// information box titled "Error !" (FileExists: "Error ! (Source : FileExists)") whose text is
// the error number, " : ", two line breaks and the system's description, and then return their
// neutral result.
namespace mUtil {

// The path with exactly one "/" at its end; a path that ends with "/" comes back unchanged.
[[nodiscard]] QString AddBackslash(const QString &path);

// True when a file (not a folder) of that path exists.
[[nodiscard]] bool FileExists(const platform::Context &ctx, const QString &path);

// True when the path names an existing folder; without a trailing "/" any existing entry counts,
// a file included.
[[nodiscard]] bool FolderExists(const platform::Context &ctx, const QString &path);

// True when the text is empty after trimming white space at both ends.
[[nodiscard]] bool IsBlank(const QString &text);

// Replaces the file's content with the text (UTF-8) followed by CR LF. The old content stays
// whole until the new one is completely written.
bool WriteTextFile(const platform::Context &ctx, const QString &path, const QString &text);
// The same for text that is UTF-8 already.
bool WriteTextFile(const platform::Context &ctx, const QString &path, const QByteArray &utf8);

// The whole file as text: UTF-8 when valid, else Windows-1252; empty after the box on failure.
[[nodiscard]] QString ReadTextFile(const platform::Context &ctx, const QString &path);

// Opens an http, https or mailto address, or an existing local file, with the desktop's default
// handler. Anything else (javascript:, file: URLs from feeds, custom schemes) is ignored.
void ShellOpen(const platform::Context &ctx, const QString &target);

// Whether the system reports a network connection.
[[nodiscard]] bool IsConnected(const platform::Context &ctx);

// Shows the Retry/Cancel box for as long as the system reports no connection; false when the
// user cancels.
[[nodiscard]] bool WaitForConnection(const platform::Context &ctx, platform::MessageIcon icon,
                                     const QString &title, const QString &text);

// Drops cached copies of the address from the fetch component's HTTP cache.
void ClearUrlCache(const platform::Context &ctx, const QString &url);
// The cache addresses ClearUrlCache drops for an address, in order.
[[nodiscard]] QStringList UrlCacheAddresses(const QString &url);

// A new feed identifier: 36 characters, groups of 8-4-4-4-12 upper-case hex digits.
[[nodiscard]] QString NewGuid();

// "01".."12" for a month name (trimmed) or abbreviation (as given), compared without regard to
// case, in the locale's language or in English; empty text for anything else.
[[nodiscard]] QString MonthNumber(const QString &name, const QLocale &locale = QLocale::system());

// The reversible digit encoding of the e-mail settings. Scramble: reverse, each character's
// Windows-1252 code times 7 as at least four digits, reverse. Unscramble undoes it. Blank text
// gives empty text both ways. Text that does not unscramble (a group that is no number) gives
// empty text and sets *ok to false.
[[nodiscard]] QString ScrambleText(const QString &text, bool scramble, bool *ok = nullptr);

} // namespace mUtil
