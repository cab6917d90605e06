#pragma once

#include <QByteArray>
#include <QString>

namespace platform {
struct Context;
}

// Paths and whole text files. The functions that can fail report their own failure in an
// information box titled "Error !" (fileExists: "Error ! (Source : FileExists)") whose text is
// the error number, " : ", two line breaks and the system's description, and then return their
// neutral result.
namespace Files {

// The path with exactly one "/" at its end; a path that ends with "/" comes back unchanged.
// Anything from a NUL character on is dropped.
[[nodiscard]] QString withTrailingSlash(const QString &path);

// True when a file (not a folder) of that path exists.
[[nodiscard]] bool fileExists(const platform::Context &ctx, const QString &path);

// True when the path names an existing folder; without a trailing "/" any existing entry counts,
// a file included.
[[nodiscard]] bool folderExists(const platform::Context &ctx, const QString &path);

// Replaces the file's content with the text (UTF-8) followed by CR LF. The old content stays
// whole until the new one is completely written.
bool writeText(const platform::Context &ctx, const QString &path, const QString &text);
// The same for text that is UTF-8 already.
bool writeText(const platform::Context &ctx, const QString &path, const QByteArray &utf8);

// The whole file as text: UTF-8 when valid, else Windows-1252; empty after the box on failure.
[[nodiscard]] QString readText(const platform::Context &ctx, const QString &path);

} // namespace Files
