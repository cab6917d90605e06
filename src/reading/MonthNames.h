#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// Month names as feeds and item files spell them, read as month numbers: 1..12, or 0 for a text
// that names no month.
namespace MonthNames {

// An English month name or its three-letter abbreviation, in any case.
[[nodiscard]] int english(QStringView name);

// Also the spellings feeds use besides those: "Sept", and a trailing "." ("Jan.").
[[nodiscard]] int looseEnglish(QStringView name);

// A month name in whatever language wrote it. English comes first (as looseEnglish), then the
// names of the system locale, then those of every language Qt knows, in Qt's order of languages:
// a name that two languages give to different months belongs to the first of them. Long and
// short names count, in their format and standalone forms; case (folded), blanks around the name
// and a trailing "." do not. The table of all languages is built on first use, once for all
// threads.
[[nodiscard]] int anyLanguage(QStringView name);

// A month name or abbreviation of the locale, or of English whatever the locale (feed dates are
// English). Full names are matched trimmed, abbreviations as given, both without regard to case.
[[nodiscard]] int inLocale(const QString &name, const QLocale &locale = QLocale::system());

} // namespace MonthNames
