#include "settings/IniFile.h"

#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

namespace {

const QString kEscape = QStringLiteral("%%&&Chr(13)&&%%");

class IniFileTest : public ::testing::Test {
protected:
    void write(const QByteArray &bytes) { t.writeFile(QStringLiteral("test.ini"), bytes); }
    [[nodiscard]] QByteArray bytes() const { return t.readFile(QStringLiteral("test.ini")); }
    [[nodiscard]] unsigned mode() const
    {
        struct stat status { };
        EXPECT_EQ(::stat(QFile::encodeName(m_path).constData(), &status), 0);
        return status.st_mode & 07777;
    }

    test::TestContext t;
    QString m_path = t.path(QStringLiteral("test.ini"));
    const IniFile ini{m_path, 5000};
};

TEST(IniLineBreakEscape, IsExactAndCoversEveryOccurrence)
{
    struct Case {
        QString plain;
        QString stored;
    };
    const Case cases[] = {
        {"a\r\nb\r\nc", "a" + kEscape + "b" + kEscape + "c"},
        {"\r\n", kEscape},
        {"\r\r\n\n", "\r" + kEscape + "\n"},
        {"lone\rcr and lone\nlf", "lone\rcr and lone\nlf"},
        {"lf then cr\n\r", "lf then cr\n\r"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(IniFile::escapeLineBreaks(c.plain), c.stored);
        EXPECT_EQ(IniFile::unescapeLineBreaks(c.stored), c.plain);
    }
    // Only the exact text is an escape.
    const QString notEscapes[] = {"%%&&chr(13)&&%%", "%%&&Chr(13)&&%", "%&&Chr(13)&&%%"};
    for (const auto &text : notEscapes)
        EXPECT_EQ(IniFile::unescapeLineBreaks(text), text);
}

TEST_F(IniFileTest, MultiLineValueIsStoredOnOneLine)
{
    ini.write("email", "body", QStringLiteral("line one\r\nline two"));
    EXPECT_EQ(bytes(), "[email]\r\nbody=line one" + kEscape.toUtf8() + "line two\r\n");
    EXPECT_EQ(ini.read("email", "body", "x"), "line one\r\nline two");
}

TEST_F(IniFileTest, ReadGivesTheStoredValueOrTheDefault)
{
    struct Case {
        const char *what;
        QByteArray file; // empty: no file
        qint32 bufferSize;
        QString key;
        QString defaultValue;
        QString expected;
    };
    const Case cases[] = {
        {"no file", {}, 5000, "k", "dflt", "dflt"},
        {"missing section", "[other]\r\nk=1\r\n", 5000, "k", "dflt", "dflt"},
        {"missing key", "[s]\r\nj=1\r\n", 5000, "k", "dflt", "dflt"},
        {"missing key: the default gets the escape replacement too", "[s]\r\n", 5000, "k",
         "a" + kEscape + "b", "a\r\nb"},
        {"an empty stored value beats a non-empty default", "[s]\r\nk=\r\n", 5000, "k", "dflt", ""},
        {"stored value", "[s]\r\nk=stored\r\n", 5000, "k", "dflt", "stored"},
        {"Windows-1252 file", "[s]\r\nk=caf\xe9\r\n", 5000, "k", "", "café"},
        {"a value longer than the buffer is cut", "[s]\r\nk=abcdefgh\r\n", 6, "k", "", "abcde"},
        {"a value that fits the buffer exactly", "[s]\r\nk=abcde\r\n", 6, "k", "", "abcde"},
        {"a long default is cut as well", "[s]\r\n", 4, "k", "abcdefgh", "abc"},
        {"the cut comes before the escape replacement", "[s]\r\nk=ab" + kEscape.toUtf8() + "\r\n",
         10, "k", "", "ab%%&&Chr"},
    };
    for (const auto &c : cases) {
        QFile::remove(m_path);
        if (!c.file.isEmpty())
            write(c.file);
        const IniFile sized(m_path, c.bufferSize);
        EXPECT_EQ(sized.read("s", c.key, c.defaultValue), c.expected) << c.what;
    }
}

TEST_F(IniFileTest, UnreadableFileReadsAsDefault)
{
    ASSERT_TRUE(QDir().mkdir(m_path));
    EXPECT_EQ(ini.read("s", "k", "dflt"), "dflt");
    EXPECT_EQ(ini.readSection("s"), QString(5000, QChar(u'\0')));
}

TEST_F(IniFileTest, WriteNeverReplacesAFileItCouldNotRead)
{
    write("[s]\r\nk=precious\r\n");
    ASSERT_TRUE(QFile::setPermissions(m_path, QFileDevice::WriteOwner));
    if (QFile file(m_path); file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "permissions do not keep this user from reading";
    ini.write("s", "j", "new");
    ASSERT_TRUE(QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(bytes(), "[s]\r\nk=precious\r\n");
}

TEST_F(IniFileTest, WriteKeepsTheRestOfTheFileAsItWas)
{
    struct Case {
        const char *what;
        QByteArray before;
        QString section;
        QString key;
        QString value;
        QByteArray after;
    };
    const Case cases[] = {
        {"no file: file, section and key are created",
         {},
         "app",
         "mins",
         "1",
         "[app]\r\nmins=1\r\n"},
        {"CR LF file, value replaced in place",
         "; Marlowin\r\n[email]\r\nsv=1\r\n\r\n[app]\r\nmins=1\r\nclose=0\r\n", "app", "mins", "0",
         "; Marlowin\r\n[email]\r\nsv=1\r\n\r\n[app]\r\nmins=0\r\nclose=0\r\n"},
        {"LF file stays LF", "# notes\n[app]\nmins=1\n", "app", "autos", "1",
         "# notes\n[app]\nmins=1\nautos=1\n"},
        {"new section in an LF file", "[app]\nmins=1\n", "schdl", "ena", "0",
         "[app]\nmins=1\n\n[schdl]\nena=0\n"},
        {"byte-order mark kept", "\xEF\xBB\xBF[app]\r\nmins=1\r\n", "app", "mins", "0",
         "\xEF\xBB\xBF[app]\r\nmins=0\r\n"},
        {"Windows-1252 text is rewritten as UTF-8", "[s]\r\nname=caf\xe9\r\n", "s", "k", "€",
         "[s]\r\nname=caf\xc3\xa9\r\nk=\xe2\x82\xac\r\n"},
    };
    for (const auto &c : cases) {
        QFile::remove(m_path);
        if (!c.before.isEmpty())
            write(c.before);
        ini.write(c.section, c.key, c.value);
        EXPECT_EQ(bytes(), c.after) << c.what;
    }
}

TEST_F(IniFileTest, IntegersAndFlagsAreWrittenAsDecimalText)
{
    ini.write("s", "short", qint16(-1));
    ini.write("s", "int", 0);
    ini.write("s", "long", qint32(-2147483647 - 1));
    ini.write("s", "yes", true);
    ini.write("s", "no", false);
    ini.write("s", "literal", "text"); // a string literal is text, not a flag
    EXPECT_EQ(bytes(),
              "[s]\r\nshort=-1\r\nint=0\r\nlong=-2147483648\r\nyes=1\r\nno=0\r\n"
              "literal=text\r\n");
}

TEST_F(IniFileTest, FileIsReadableByItsOwnerOnly)
{
    ini.write("email", "pw", "1234");
    EXPECT_EQ(mode(), 0600u);

    QFile::remove(m_path);
    write("[email]\r\npw=1234\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(m_path).constData(), 0644), 0);
    ini.write("email", "pw", "5678");
    EXPECT_EQ(mode(), 0600u);

    ASSERT_EQ(::chmod(QFile::encodeName(m_path).constData(), 0664), 0);
    ini.removeSection("email");
    EXPECT_EQ(mode(), 0600u);
}

TEST_F(IniFileTest, ReadSectionListsKeyNamesSeparatedByNul)
{
    const QChar nul(u'\0');
    struct Case {
        const char *what;
        QByteArray file; // empty: no file
        qint32 bufferSize;
        QString expected;
    };
    const Case cases[] = {
        {"two keys", "[schdl]\r\nena=1\r\nfrq=2\r\n", 5000, QStringLiteral("ena") + nul + "frq"},
        {"file order, repeated blocks, comments skipped",
         "[schdl]\r\nena=1\r\n;x_1=2\r\n[app]\r\nmins=1\r\n[SCHDL]\r\ns_1=a\r\n", 5000,
         QStringLiteral("ena") + nul + "s_1"},
        {"no file", {}, 5000, QString(5000, nul)},
        {"missing section", "[app]\r\nmins=1\r\n", 5000, QString(5000, nul)},
        {"section without keys", "[schdl]\r\n; nothing\r\n", 5000, QString(5000, nul)},
        {"a list that just fits", "[schdl]\r\nabc=1\r\ndefgh=2\r\n", 11,
         QStringLiteral("abc") + nul + "defgh"},
        // The buffer then holds 8 characters and two NULs; the last character is dropped as if
        // it were a terminator.
        {"a list one character too long is cut", "[schdl]\r\nabc=1\r\ndefgh=2\r\n", 10,
         QStringLiteral("abc") + nul + "def"},
    };
    for (const auto &c : cases) {
        QFile::remove(m_path);
        if (!c.file.isEmpty())
            write(c.file);
        const IniFile sized(m_path, c.bufferSize);
        EXPECT_EQ(sized.readSection("schdl"), c.expected) << c.what;
    }
}

TEST_F(IniFileTest, RemoveSectionRemovesTheSectionAndNothingElse)
{
    write("[email]\r\nsv=1\r\n\r\n[schdl]\r\nena=1\r\ns_1=x\r\n\r\n[app]\r\nmins=1\r\n");
    ini.removeSection("schdl");
    EXPECT_EQ(bytes(), "[email]\r\nsv=1\r\n\r\n[app]\r\nmins=1\r\n");
    EXPECT_EQ(ini.read("schdl", "ena", "0"), "0");

    QFile::remove(m_path);
    ini.removeSection("schdl");
    EXPECT_FALSE(QFileInfo::exists(m_path));
}

TEST_F(IniFileTest, FileOperationsNeedANameAndABufferSize)
{
    struct Case {
        QString fileName;
        qint32 bufferSize;
        QString description;
    };
    const Case cases[] = {
        {QString(), 0, "Buffer size not set"},
        {m_path, 0, "Buffer size not set"},
        {QString(), 5000, "Filename not set"},
    };
    const std::function<void(const IniFile &)> operations[] = {
        [](const IniFile &unset) { static_cast<void>(unset.read("s", "k", "d")); },
        [](const IniFile &unset) { unset.write("s", "k", "v"); },
        [](const IniFile &unset) { static_cast<void>(unset.readSection("s")); },
        [](const IniFile &unset) { unset.removeSection("s"); },
    };
    for (const auto &c : cases) {
        const IniFile unset(c.fileName, c.bufferSize);
        for (const auto &operation : operations) {
            try {
                operation(unset);
                ADD_FAILURE() << "no error for " << c.description.toStdString();
            } catch (const IniFile::Error &error) {
                EXPECT_EQ(error.number(), 670);
                EXPECT_EQ(error.source(), "INIReadWrite");
                EXPECT_EQ(error.description(), c.description);
            }
        }
    }
    EXPECT_FALSE(QFileInfo::exists(m_path));
}

} // namespace
