// The language file shipped with the program: the English group generated from the windows and
// the default messages, followed by the German and French groups kept by hand in
// resources/translations. A caption or message added in English without its translations, or a
// translated text that the line-oriented reader would cut or show wrongly, fails here.

#include "localization/Languages.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct Item {
    QString key;
    QString text;
};

struct LanguageGroup {
    QString code;
    QString name;
    QString description;
    QList<Item> items;
    QStringList malformedLines; // lines between the item markers that are no `<KEY>text</KEY>`
};

QString between(const QString &text, const QString &open, const QString &close)
{
    const qsizetype start = text.indexOf(open);
    if (start < 0)
        return {};
    const qsizetype body = start + open.size();
    const qsizetype end = text.indexOf(close, body);
    return end < 0 ? QString() : text.mid(body, end - body);
}

QList<LanguageGroup> parseGroups(const QString &file)
{
    static const QRegularExpression groupPattern(
        QStringLiteral(R"re(<LANGUAGE_GROUP xml:lang="([^"]*)">(.*?)</LANGUAGE_GROUP>)re"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression itemPattern(QStringLiteral(R"(^\t\t<(\w+)>(.*)</\1>$)"));
    QList<LanguageGroup> groups;
    for (const QRegularExpressionMatch &match : groupPattern.globalMatch(file)) {
        const QString body = match.captured(2);
        LanguageGroup group;
        group.code = match.captured(1);
        group.name
            = between(body, QStringLiteral("<LANGUAGE_NAME>"), QStringLiteral("</LANGUAGE_NAME>"));
        group.description
            = between(body, QStringLiteral("<DESCRIPTION>"), QStringLiteral("</DESCRIPTION>"));
        const QString items = between(body, QStringLiteral("<TRANSLATION_ITEMS>"),
                                      QStringLiteral("</TRANSLATION_ITEMS>"));
        for (const QString &line : items.split(QStringLiteral("\r\n"))) {
            if (line.trimmed().isEmpty())
                continue;
            const QRegularExpressionMatch item = itemPattern.match(line);
            if (item.hasMatch())
                group.items.append({item.captured(1), item.captured(2)});
            else
                group.malformedLines << line;
        }
        groups << group;
    }
    return groups;
}

class ShippedTranslations : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile file(QStringLiteral(MARLOWIN_RESOURCES_DIR "/Localization.txt"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        bytes = file.readAll();
        groups = parseGroups(QString::fromUtf8(bytes));
        ASSERT_EQ(groups.size(), 3);
    }

    [[nodiscard]] const LanguageGroup &english() const { return groups.first(); }
    [[nodiscard]] QList<LanguageGroup> translations() const { return groups.mid(1); }

    QByteArray bytes;
    QList<LanguageGroup> groups;
};

TEST_F(ShippedTranslations, EnglishThenGermanThenFrenchWithCrLfLineEnds)
{
    QStringList codes, names;
    for (const LanguageGroup &group : groups) {
        codes << group.code;
        names << group.name;
        EXPECT_FALSE(group.description.isEmpty()) << group.name.toStdString();
        if (group.code != QStringLiteral("en")) {
            EXPECT_NE(group.description, english().description) << group.name.toStdString();
        }
    }
    EXPECT_EQ(codes,
              (QStringList{QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("fr")}));
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("English"), QStringLiteral("Deutsch"),
                           QStringLiteral("Français")}));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << "a line ends in a bare LF";
    EXPECT_TRUE(bytes.endsWith("</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n"));
}

// The reader matches keys without regard to case and takes the first line of a key, so a key
// written twice hides the second text, and a key the English group lacks translates nothing.
TEST_F(ShippedTranslations, EveryEnglishKeyAppearsOnceInEachTranslation)
{
    for (const LanguageGroup &group : translations()) {
        SCOPED_TRACE(group.name.toStdString());
        QHash<QString, int> count;
        for (const Item &item : group.items)
            ++count[item.key.toUpper()];
        QStringList problems = group.malformedLines;
        for (const Item &item : english().items) {
            const int times = count.take(item.key.toUpper());
            if (times != 1)
                problems << item.key + QStringLiteral(" appears %1 times").arg(times);
        }
        for (auto it = count.cbegin(); it != count.cend(); ++it)
            problems << it.key() + QStringLiteral(" is no English key");
        EXPECT_EQ(problems, QStringList{});
    }
}

// Entities are not decoded and an item ends at the first closing tag of its key, so "<", ">" and
// "&" would show as written or cut the text; in a menu or button "&" also marks an accelerator.
TEST_F(ShippedTranslations, TextsKeepPlaceholdersAndHoldNoMarkup)
{
    static const QRegularExpression placeholder(QStringLiteral(R"(\[\w+\])"));
    static const QRegularExpression markup(QStringLiteral("[<>&]"));
    for (const LanguageGroup &group : translations()) {
        SCOPED_TRACE(group.name.toStdString());
        QHash<QString, QString> texts;
        for (const Item &item : group.items)
            texts.insert(item.key.toUpper(), item.text);
        QStringList problems;
        for (const Item &item : english().items) {
            const QString text = texts.value(item.key.toUpper());
            if (text.trimmed().isEmpty() && !item.text.trimmed().isEmpty())
                problems << item.key + QStringLiteral(": empty");
            for (const QRegularExpressionMatch &name : placeholder.globalMatch(item.text)) {
                if (!text.contains(name.captured()))
                    problems << item.key + QStringLiteral(": lacks ") + name.captured();
            }
            if (text.contains(markup))
                problems << item.key + QStringLiteral(": ") + text;
        }
        EXPECT_EQ(problems, QStringList{});
    }
}

// The program itself finds each group by its name (UTF-8, "Français") and reads every item as
// written, the first letter shown in upper case.
TEST_F(ShippedTranslations, TheTranslationServiceReadsEveryItem)
{
    Languages service(QStringLiteral(MARLOWIN_RESOURCES_DIR), ProgramIdentity{});
    for (const LanguageGroup &group : translations()) {
        SCOPED_TRACE(group.name.toStdString());
        service.loadLanguage(group.name);
        QStringList differing;
        for (const Item &item : group.items) {
            if (item.text.contains(QLatin1Char('[')))
                continue; // placeholders are replaced on reading
            QString expected = item.text;
            if (!expected.isEmpty())
                expected[0] = expected.at(0).toUpper();
            if (service.getCaption(item.key) != expected)
                differing << item.key;
        }
        EXPECT_EQ(differing, QStringList{});
    }
}

} // namespace
