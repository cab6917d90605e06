#pragma once

#include "localization/Languages.h"

#include <QString>

// The program's version record: its name, its maker and the maker's addresses.
namespace ProgramInfo {

[[nodiscard]] ProgramIdentity identity();
// "major.minor", as the about window shows it.
[[nodiscard]] QString shortVersion();
// The maker's web address as a URL to open: "http://" is put in front of an address that has
// no http or https scheme.
[[nodiscard]] QString websiteUrl(const QString &website);
// The folder on the maker's site that holds the language files ("0/Localization.txt" is the
// newest), with its trailing "/".
[[nodiscard]] QString languagesFolderUrl();
// The support address of the tray menu's "Contact Us".
[[nodiscard]] QString supportMailto();

} // namespace ProgramInfo
