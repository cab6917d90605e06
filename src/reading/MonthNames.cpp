#include "reading/MonthNames.h"

#include "reading/DateText.h"

#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <string_view>

namespace MonthNames {
namespace {

using DateText::equalsIgnoringAsciiCase;

constexpr std::array<std::string_view, 12> kFullNames
    = {"january", "february", "march",     "april",   "may",      "june",
       "july",    "august",   "september", "october", "november", "december"};

// The form names are compared in: case folded, without a trailing ".".
QString folded(QStringView name)
{
    name = name.trimmed();
    if (name.endsWith(u'.'))
        name.chop(1);
    return name.toString().toCaseFolded();
}

using NameTable = QHash<QString, int>;

// Adds the month names of the locales to the table; a name already there keeps its month.
void addNames(NameTable &table, const QList<QLocale> &locales)
{
    for (const QLocale &locale : locales) {
        for (int month = 1; month <= 12; ++month) {
            for (const QLocale::FormatType format : {QLocale::LongFormat, QLocale::ShortFormat}) {
                for (const QString &name :
                     {locale.monthName(month, format), locale.standaloneMonthName(month, format)}) {
                    const QString key = folded(name);
                    if (!key.isEmpty() && !table.contains(key))
                        table.insert(key, month);
                }
            }
        }
    }
}

NameTable tableOf(const QList<QLocale> &locales)
{
    NameTable table;
    addNames(table, locales);
    return table;
}

} // namespace

int english(QStringView name)
{
    for (size_t i = 0; i < kFullNames.size(); ++i) {
        const std::string_view full = kFullNames[i];
        if (equalsIgnoringAsciiCase(name, full) || equalsIgnoringAsciiCase(name, full.substr(0, 3)))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int looseEnglish(QStringView name)
{
    if (name.endsWith(u'.'))
        name.chop(1);
    if (equalsIgnoringAsciiCase(name, "sept"))
        return 9;
    return english(name);
}

int anyLanguage(QStringView name)
{
    if (const int month = looseEnglish(name.trimmed()))
        return month;
    const QString key = folded(name);
    if (key.isEmpty())
        return 0;
    // The system locale is looked at before the rest so that, say, a Czech desktop reads the
    // Czech "listopad" (November) rather than the Croatian one (October). Building the table of
    // all languages takes a moment, so it waits for the first name neither of these knows.
    static const NameTable system = tableOf({QLocale::system()});
    if (const auto found = system.constFind(key); found != system.cend())
        return *found;
    static const NameTable all = tableOf(
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory));
    return all.value(key);
}

namespace {

// The lower-cased month names of a locale, full and abbreviated, January first. Looking them
// up is slow next to comparing them, and every item's date needs them.
struct LocaleNames {
    QString localeName;
    QStringList full;
    QStringList abbreviated;
};

LocaleNames namesOf(const QLocale &locale)
{
    LocaleNames names{locale.name(), {}, {}};
    for (int month = 1; month <= 12; ++month) {
        names.full << locale.monthName(month, QLocale::LongFormat).toLower();
        names.abbreviated << locale.monthName(month, QLocale::ShortFormat).toLower();
    }
    return names;
}

int findMonth(const LocaleNames &names, const QString &fullName, const QString &abbreviation)
{
    for (int month = 0; month < 12; ++month) {
        if (fullName == names.full.at(month) || abbreviation == names.abbreviated.at(month))
            return month + 1;
    }
    return 0;
}

} // namespace

int inLocale(const QString &name, const QLocale &locale)
{
    static const LocaleNames english = namesOf(QLocale(QLocale::English, QLocale::UnitedStates));
    thread_local LocaleNames local;
    if (local.localeName != locale.name() || local.full.isEmpty())
        local = namesOf(locale);

    const QString fullName = name.trimmed().toLower();
    const QString abbreviation = name.toLower();
    const int month = findMonth(local, fullName, abbreviation);
    return month != 0 ? month : findMonth(english, fullName, abbreviation);
}

} // namespace MonthNames
