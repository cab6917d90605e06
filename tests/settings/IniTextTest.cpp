#include "settings/IniText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>

using settings::IniText;

namespace {

const QString kBom(QChar(0xFEFF));

struct ReadCase {
    const char *what;
    QString text;
    QString section;
    QString key;
    std::optional<QString> value;
};

TEST(IniText, FindsValuesBySectionAndKey)
{
    const ReadCase cases[] = {
        {"plain CR LF file", "[a]\r\nk=v\r\n", "a", "k", "v"},
        {"names match without regard to case", "[Email]\nSV=x\n", "email", "sv", "x"},
        {"spaces around = and the value are dropped", "[a]\n  k  =   two words  \n", "a", "k",
         "two words"},
        {"a quoted value loses its quotes, not its inner spaces", "[a]\nk=\"  q  \"\n", "a", "k",
         "  q  "},
        {"a lone quote stays", "[a]\nk=\"\n", "a", "k", "\""},
        {"an unmatched quote stays", "[a]\nk=\"x\n", "a", "k", "\"x"},
        {"comments are not keys", "[a]\n;k=1\n  #k=2\nk=3\n", "a", "k", "3"},
        {"an empty value is a value", "[a]\nk=\n", "a", "k", ""},
        {"the value may hold =", "[a]\nk=x=y\n", "a", "k", "x=y"},
        {"spaces inside the header", "[ a ]\nk=1\n", "a", "k", "1"},
        {"the byte-order mark is not part of the first header", kBom + "[a]\r\nk=v", "a", "k", "v"},
        {"the first occurrence of a key counts", "[a]\nk=1\nk=2\n", "a", "k", "1"},
        {"a repeated section is one section", "[a]\nk=1\n[b]\nj=2\n[A]\nm=3\nk=4\n", "a", "m", "3"},
        {"missing key", "[a]\nk=1\n", "a", "j", std::nullopt},
        {"missing section", "[a]\nk=1\n", "b", "k", std::nullopt},
        {"keys of another section do not leak", "[a]\nk=1\n[b]\nj=2\n", "b", "k", std::nullopt},
        {"lines before any header belong to no section", "k=1\n[a]\n", "a", "k", std::nullopt},
        {"a line without = is no key", "[a]\nk\n", "a", "k", std::nullopt},
        {"empty text", "", "a", "k", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IniText::parse(c.text).value(c.section, c.key), c.value) << c.what;
}

TEST(IniText, ListsTheKeysOfASectionInFileOrder)
{
    const IniText ini = IniText::parse(
        QStringLiteral("[schdl]\r\nena=1\r\n; "
                       "s_0=comment\r\nfrq=2\r\n[app]\r\nmins=1\r\n[SCHDL]\r\ns_1=x\r\nENA=9\r\n"));
    EXPECT_EQ(ini.keys(QStringLiteral("schdl")),
              (QStringList{QStringLiteral("ena"), QStringLiteral("frq"), QStringLiteral("s_1")}));
    EXPECT_EQ(ini.keys(QStringLiteral("app")), QStringList{QStringLiteral("mins")});
    EXPECT_TRUE(ini.keys(QStringLiteral("email")).isEmpty());
    EXPECT_TRUE(ini.hasSection(QStringLiteral("Schdl")));
    EXPECT_FALSE(ini.hasSection(QStringLiteral("email")));
}

TEST(IniText, UnchangedTextSerialisesToTheSameText)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("[a]\r\nk=1\r\n"),
        QStringLiteral("[a]\nk=1"),
        QStringLiteral("; mixed\r\n[a]\n  k = 1  \r\n\n\n"),
        kBom + QStringLiteral("[a]\r\nk=1\r\n"),
        QStringLiteral("[a]\r\nk=lone\rcr\r\n\r"),
    };
    for (const auto &text : texts)
        EXPECT_EQ(IniText::parse(text).toString(), text);
}

struct SetCase {
    const char *what;
    QString before;
    QString section;
    QString key;
    QString value;
    QString after;
};

TEST(IniText, SetValueChangesOnlyTheLineItConcerns)
{
    const SetCase cases[] = {
        {"replaced in place; comments, blank lines and other sections stay",
         "; top\r\n[a]\r\nk=old\r\n; note\r\n\r\n[b]\r\nk=b\r\n", "a", "k", "new",
         "; top\r\n[a]\r\nk=new\r\n; note\r\n\r\n[b]\r\nk=b\r\n"},
        {"the line keeps its spelling of the key and its spacing", "[App]\n  CLOSE = 0\n", "app",
         "close", "1", "[App]\n  CLOSE = 1\n"},
        {"a replaced empty value", "[a]\nk=\nj=2\n", "a", "k", "v", "[a]\nk=v\nj=2\n"},
        {"a new key goes after the last key, above what closes the section",
         "[a]\nk=1\n; end of a\n\n[b]\nj=2\n", "a", "n", "v",
         "[a]\nk=1\nn=v\n; end of a\n\n[b]\nj=2\n"},
        {"a new key in a section without keys goes under its header", "[a]\n\n[b]\n", "a", "k", "v",
         "[a]\nk=v\n\n[b]\n"},
        {"a new key in a repeated section goes to its end", "[a]\nk=1\n[b]\n[a]\nj=2\n", "a", "n",
         "3", "[a]\nk=1\n[b]\n[a]\nj=2\nn=3\n"},
        {"a new section in an empty file", "", "email", "sv", "1", "[email]\r\nsv=1\r\n"},
        {"a new section after a blank line in an LF file", "[a]\nk=1\n", "b", "j", "2",
         "[a]\nk=1\n\n[b]\nj=2\n"},
        {"no second blank line when the file ends with one", "[a]\r\nk=1\r\n\r\n", "b", "j", "2",
         "[a]\r\nk=1\r\n\r\n[b]\r\nj=2\r\n"},
        {"a last line without line end gets one (new key)", "[a]\nk=1", "a", "j", "2",
         "[a]\nk=1\nj=2\n"},
        {"a last line without line end gets one (new section)", "[a]\r\nk=1", "b", "j", "2",
         "[a]\r\nk=1\r\n\r\n[b]\r\nj=2\r\n"},
        {"new lines follow the first line end of the file", "[a]\nk=1\r\n", "a", "j", "2",
         "[a]\nk=1\r\nj=2\n"},
        {"the byte-order mark is kept", kBom + "[a]\r\nk=1\r\n", "a", "k", "2",
         kBom + "[a]\r\nk=2\r\n"},
        {"spaces at the ends are kept inside quotes", "[a]\n", "a", "k", " padded ",
         "[a]\nk=\" padded \"\n"},
        {"a quoted value is quoted again", "[a]\n", "a", "k", "\"q\"", "[a]\nk=\"\"q\"\"\n"},
        {"a value is kept to one line", "[a]\n", "a", "k", "one\ntwo\r[b]", "[a]\nk=one\n"},
    };
    for (const auto &c : cases) {
        IniText ini = IniText::parse(c.before);
        ini.setValue(c.section, c.key, c.value);
        EXPECT_EQ(ini.toString(), c.after) << c.what;
    }
}

TEST(IniText, ValuesReadBackAsWritten)
{
    const QString values[] = {
        QString(),
        QStringLiteral("plain"),
        QStringLiteral(" leading"),
        QStringLiteral("trailing\t"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("\""),
        QStringLiteral("a=b"),
        QStringLiteral("; not a comment"),
        QStringLiteral("[not a section]"),
        QStringLiteral("%%&&Chr(13)&&%%"),
        QStringLiteral("café €"),
    };
    for (const auto &value : values) {
        IniText ini = IniText::parse(QStringLiteral("[a]\r\nk=old\r\n"));
        ini.setValue(QStringLiteral("a"), QStringLiteral("k"), value);
        ini.setValue(QStringLiteral("b"), QStringLiteral("k"), value);
        const IniText reread = IniText::parse(ini.toString());
        EXPECT_EQ(reread.value(QStringLiteral("a"), QStringLiteral("k")), value);
        EXPECT_EQ(reread.value(QStringLiteral("b"), QStringLiteral("k")), value);
    }
}

TEST(IniText, RemoveSectionTakesEveryBlockWithAllItsLines)
{
    IniText ini = IniText::parse(QStringLiteral(
        "; top\r\n[schdl]\r\nena=1\r\n; old\r\n\r\n[app]\r\nmins=1\r\n\r\n[Schdl]\r\ns_1=x\r\n"));
    EXPECT_TRUE(ini.removeSection(QStringLiteral("schdl")));
    EXPECT_EQ(ini.toString(), QStringLiteral("; top\r\n[app]\r\nmins=1\r\n\r\n"));
    EXPECT_FALSE(ini.removeSection(QStringLiteral("schdl")));
    EXPECT_EQ(ini.toString(), QStringLiteral("; top\r\n[app]\r\nmins=1\r\n\r\n"));

    // Rewriting a removed section leaves the layout it had before.
    ini.setValue(QStringLiteral("schdl"), QStringLiteral("ena"), QStringLiteral("0"));
    EXPECT_EQ(ini.toString(),
              QStringLiteral("; top\r\n[app]\r\nmins=1\r\n\r\n[schdl]\r\nena=0\r\n"));
}

} // namespace
