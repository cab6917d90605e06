#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
struct Context;
}

// What the language dialog knows of Localization.txt without any widget: which languages it
// offers, and how a newer file fetched from the maker's site replaces it.
namespace LanguageList {

// The wait for the maker's site before a check for updates gives up.
inline constexpr int kDownloadTimeoutMs = 15000;

// The names of the file's language groups in file order: for every "<LANGUAGE_GROUP" (any case)
// the text of the first <LANGUAGE_NAME> element before the group's "</LANGUAGE_GROUP>". A group
// without a name, or with an empty one, offers nothing: Languages could not load it by name.
[[nodiscard]] QStringList groupNames(const QString &fileText);

// The xml:lang code of the first group named name (any case), e.g. "de"; empty when the group
// or its code is missing.
[[nodiscard]] QString groupLanguageCode(const QString &fileText, const QString &name);

// The code of the language named name in the app folder's Localization.txt; empty when the file,
// the group or its code is missing.
[[nodiscard]] QString installedLanguageCode(const platform::Context &ctx, const QString &name);

// Where the language file lives: Localization.txt in the app folder.
[[nodiscard]] QString languageFilePath(const platform::Context &ctx);

// The languages of the app folder's Localization.txt; none when the file is missing or unreadable.
[[nodiscard]] QStringList installedLanguages(const platform::Context &ctx);

// The text to store from a fetched body: from its first "<" on, when the body holds
// "<TRANSLATION_ITEMS>" (any case); nothing when it is not a language file (an error page,
// an empty answer).
[[nodiscard]] std::optional<QString> languageFileFromDownload(const QString &body);

enum class DownloadResult {
    Stored,           // the app folder holds the fetched file now
    NotALanguageFile, // no answer in time, a network or server error, or some other document
    WriteFailed,      // the file could not be replaced; the old one is still whole
};

// Fetches url (GET, never from a cache) while the event loop keeps running and, when the answer
// is a language file, replaces Localization.txt with it, followed by CR LF. The old file is
// replaced only once the new one is completely written.
[[nodiscard]] DownloadResult downloadLanguageFile(const platform::Context &ctx, const QString &url,
                                                  int timeoutMs = kDownloadTimeoutMs);

// The address of the newest language file in the maker's languages folder.
[[nodiscard]] QString newestLanguageFileUrl(const QString &languagesFolderUrl);

} // namespace LanguageList
