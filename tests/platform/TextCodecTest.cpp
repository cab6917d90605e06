#include "platform/TextCodec.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct DecodeCase {
    const char *what;
    QByteArray bytes;
    QByteArray transportCharset;
    QString text;
};

TEST(DecodeDocument, PicksTheCharsetInTheRightOrder)
{
    const QString cafe = QStringLiteral("café €");
    const DecodeCase cases[] = {
        {"UTF-8 without any declaration",
         "<a>caf\xc3\xa9 \xe2\x82\xac</a>",
         {},
         QStringLiteral("<a>") + cafe + QStringLiteral("</a>")},
        {"Windows-1252 without any declaration",
         "<a>caf\xe9 \x80</a>",
         {},
         QStringLiteral("<a>") + cafe + QStringLiteral("</a>")},
        {"declaration names ISO-8859-1, bytes use its Windows-1252 extras",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xe9 \x80</a>",
         {},
         QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>") + cafe
             + QStringLiteral("</a>")},
        {"declaration in single quotes",
         "<?xml version='1.0' encoding='windows-1252'?><a>\x93q\x94</a>",
         {},
         QStringLiteral("<?xml version='1.0' encoding='windows-1252'?><a>“q”</a>")},
        {"transport charset wins over the declaration",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?><a>caf\xe9</a>", "iso-8859-1",
         QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><a>café</a>")},
        {"KOI8-R",
         "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a>\xf0\xd2\xc9\xd7\xc5\xd4</a>",
         {},
         QStringLiteral("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><a>Привет</a>")},
        {"unknown charset falls through to UTF-8", "<a>caf\xc3\xa9</a>", "x-no-such-charset",
         QStringLiteral("<a>café</a>")},
        {"UTF-8 byte-order mark", "\xef\xbb\xbf<a>caf\xc3\xa9</a>", "iso-8859-1",
         QStringLiteral("<a>café</a>")},
        {"UTF-16LE with a mark",
         QByteArray("\xff\xfe<\0a\0>\0\xe9\0<\0/\0a\0>\0", 18),
         {},
         QStringLiteral("<a>é</a>")},
        {"UTF-16BE without a mark",
         QByteArray("\0<\0a\0>\0\xe9\0<\0/\0a\0>", 16),
         {},
         QStringLiteral("<a>é</a>")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform::decodeDocument(c.bytes, c.transportCharset), c.text) << c.what;
}

TEST(CharsetOfContentType, ReadsTheParameter)
{
    EXPECT_EQ(platform::charsetOfContentType("application/rss+xml; charset=ISO-8859-1"),
              "ISO-8859-1");
    EXPECT_EQ(platform::charsetOfContentType("text/xml;Charset=\"utf-8\""), "utf-8");
    EXPECT_EQ(platform::charsetOfContentType("text/xml"), "");
}

TEST(DecodeTextFile, Utf8ElseWindows1252)
{
    EXPECT_EQ(platform::decodeTextFile("caf\xc3\xa9"), QStringLiteral("café"));
    EXPECT_EQ(platform::decodeTextFile("\xef\xbb\xbf[email]"), QStringLiteral("[email]"));
    EXPECT_EQ(platform::decodeTextFile("caf\xe9"), QStringLiteral("café"));
}

TEST(Windows1252, LackingCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(platform::toWindows1252(QStringLiteral("aé€“")), QByteArray("a\xe9\x80\x93"));
    EXPECT_EQ(platform::toWindows1252(QStringLiteral("a\u0100b\u4e2d")), QByteArray("a?b?"));
    EXPECT_EQ(platform::toWindows1252(QStringLiteral("x\U0001F600")), QByteArray("x??"));
    EXPECT_EQ(platform::toWindows1252(QStringLiteral("\x1a")), QByteArray("\x1a"));
    EXPECT_EQ(platform::fromWindows1252("\x80\xe9"), QStringLiteral("€é"));
}

} // namespace
