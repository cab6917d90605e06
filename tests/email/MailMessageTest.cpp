#include "email/MailMessage.h"

#include "support/QtPrinters.h"

#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

// Undoes quoted-printable: soft breaks vanish, =XX becomes its byte.
QByteArray decodeQp(const QByteArray &encoded)
{
    QByteArray out;
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '=') {
            out += encoded[i];
        } else if (encoded.mid(i + 1, 2) == "\r\n") {
            i += 2;
        } else {
            out += char(encoded.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out;
}

// Undoes a header value made of encoded words and folds; plain words come back as they are.
QString decodeHeader(const QByteArray &value)
{
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="));
    const QString unfolded
        = QString::fromLatin1(value).replace(QStringLiteral("\r\n "), QStringLiteral(" "));
    QByteArray utf8;
    bool sawWord = false;
    for (const QRegularExpressionMatch &m : word.globalMatch(unfolded)) {
        utf8 += QByteArray::fromBase64(m.captured(1).toLatin1());
        sawWord = true;
    }
    return sawWord ? QString::fromUtf8(utf8) : unfolded;
}

QList<QByteArray> lines(const QByteArray &text)
{
    return text.split('\n');
}

TEST(MailFormat, HeaderTextTurnsEveryControlCharacterIntoOneSpace)
{
    const struct {
        QString in, out;
    } cases[] = {
        {"An Article from \"News\"", "An Article from \"News\""},
        {"News\r\nBcc: evil@example.org", "News Bcc: evil@example.org"},
        {"a\rb\nc\td\ve\ff", "a b c d e f"},
        {QStringLiteral("x") + QChar(0) + QChar(0x1B) + QChar(0x7F) + "y", "x y"},
        {QStringLiteral("a") + QChar(0x85) + "b" + QChar(0x2028) + "c" + QChar(0x2029) + "d",
         "a b c d"},
        {"  spaced   out \r\n", "spaced out"},
        {"Zoë 日本 😀", "Zoë 日本 😀"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MailFormat::headerText(c.in), c.out) << c.in.toStdString();
}

TEST(MailFormat, RecipientsSplitOnlyAtTheSeparator)
{
    const struct {
        QString typed, separator;
        QStringList addresses;
    } cases[] = {
        {"ann@example.org; bob@example.net", ";", {"ann@example.org", "bob@example.net"}},
        {" ;ann@example.org;; \t;", ";", {"ann@example.org"}},
        {"Ann Lee <ann@example.org>;bob@example.net", ";", {"ann@example.org", "bob@example.net"}},
        {"ann@example.org, bob@example.net", ";", {"ann@example.org,bob@example.net"}},
        {"ann@example.org\r\nBcc: eve@example.org", ";", {"ann@example.orgBcc:eve@example.org"}},
        {"ann@example.org|bob@example.net", "|", {"ann@example.org", "bob@example.net"}},
        {"ann@example.org;bob@example.net", "", {"ann@example.org", "bob@example.net"}},
        {"", ";", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MailFormat::recipients(c.typed, c.separator), c.addresses)
            << c.typed.toStdString();
}

TEST(MailFormat, MailboxQuotesOrEncodesTheName)
{
    const struct {
        QString name, address;
        QByteArray mailbox;
    } cases[] = {
        {"Jane Doe", "jane@example.org", "\"Jane Doe\" <jane@example.org>"},
        {"", " jane@example.org ", "jane@example.org"},
        {"O\"Neil \\ Co", "o@example.org", "\"O\\\"Neil \\\\ Co\" <o@example.org>"},
        {"Eve\r\nBcc: x@example.org", "eve@example.org",
         "\"Eve Bcc: x@example.org\" <eve@example.org>"},
        {"Zoë", "zoe@example.org", "=?UTF-8?B?Wm/Dqw==?= <zoe@example.org>"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MailFormat::mailbox(c.name, c.address), c.mailbox) << c.name.toStdString();
}

// Whatever the text, the header carries it back intact, on lines a mail client accepts, in
// encoded words of whole characters.
TEST(MailFormat, EncodedTextRoundTripsOnShortLines)
{
    const QString cases[] = {
        QStringLiteral("An Article from \"Tech News\""),
        QStringLiteral("An Article from \"Ünïcödé Nëws\""),
        QStringLiteral(
            "日本語のニュースのとても長いタイトルがここにありますので折り返しが必要です😀😀😀"),
        QStringLiteral("Plain words that go on and on, well past the length of one header line, "
                       "and then some more words to fold"),
        QStringLiteral("Looks like =?UTF-8?B?eA==?= but is not"),
        QString(120, QLatin1Char('x')),
    };
    for (const QString &text : cases) {
        const QByteArray value = MailFormat::encodedText(text, int(sizeof("Subject: ") - 1));
        EXPECT_EQ(decodeHeader(value), text) << value.toStdString();
        const QList<QByteArray> lines = value.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const qsizetype limit = i == 0 ? 78 - 9 : 78;
            EXPECT_LE(lines[i].size(), limit + 1) << value.toStdString(); // + the CR
            EXPECT_EQ(lines[i].endsWith('\r'), i + 1 < lines.size());
        }
        static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([^?]*)\\?="));
        for (const QRegularExpressionMatch &m : word.globalMatch(QString::fromLatin1(value))) {
            const QByteArray chunk = QByteArray::fromBase64(m.captured(1).toLatin1());
            EXPECT_FALSE(QString::fromUtf8(chunk).contains(QChar::ReplacementCharacter));
        }
    }
    EXPECT_EQ(MailFormat::encodedText(QStringLiteral("Plain subject"), 9), "Plain subject");
}

TEST(MailFormat, QuotedPrintableKeepsLinesShortAndDecodesBack)
{
    const QByteArray exact = MailFormat::quotedPrintable("a=b \r\nc\td\t\n.dot\rend ");
    EXPECT_EQ(exact, "a=3Db=20\r\nc\td=09\r\n.dot\r\nend=20");

    const QByteArray cases[] = {
        QString(200, QChar(0x00E9)).toUtf8(), // two bytes each: six characters of =XX
        QByteArray(300, 'x'),
        QByteArray(74, 'x') + "=y",
        QByteArray(75, 'x') + " ",
        QByteArray(300, ' ') + "\r\n",
        QStringLiteral("<p>Zoë wrote — 😀</p>\r\n<br>\r\n").repeated(20).toUtf8(),
    };
    for (const QByteArray &in : cases) {
        const QByteArray out = MailFormat::quotedPrintable(in);
        for (const QByteArray &line : lines(out)) {
            const QByteArray bare = line.endsWith('\r') ? line.chopped(1) : line;
            EXPECT_LE(bare.size(), 76) << bare.toStdString();
            EXPECT_FALSE(bare.contains('\r'));
            EXPECT_FALSE(bare.endsWith(' ') || bare.endsWith('\t'));
            // A soft break never cuts an =XX in two.
            EXPECT_FALSE(QRegularExpression(QStringLiteral("=[0-9A-F]?=$"))
                             .match(QString::fromLatin1(bare))
                             .hasMatch());
        }
        QByteArray expected = in;
        expected.replace("\r\n", "\n").replace('\n', "\r\n");
        EXPECT_EQ(decodeQp(out), expected);
    }
}

TEST(MailFormat, DateUsesEnglishNamesAndTheOwnOffset)
{
    const QDateTime plusOne(QDate(2026, 3, 14), QTime(9, 26, 53), QTimeZone(3600));
    EXPECT_EQ(MailFormat::dateText(plusOne), "Sat, 14 Mar 2026 09:26:53 +0100");
    const QDateTime minus(QDate(2025, 12, 1), QTime(23, 5, 0), QTimeZone(-(3 * 3600 + 30 * 60)));
    EXPECT_EQ(MailFormat::dateText(minus), "Mon, 01 Dec 2025 23:05:00 -0330");
}

TEST(MailFormat, MessageIdDomainComesFromAPlainSenderDomain)
{
    const struct {
        QString address, domain;
    } cases[] = {
        {"me@Mail.Example.ORG", "mail.example.org"}, {"Me <me@example.org>", "example.org"},
        {"me@localhost", "marlowin.local"},          {"me@exa_mple.org", "marlowin.local"},
        {"me@-bad.example", "marlowin.local"},       {"", "marlowin.local"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MailFormat::idDomain(c.address), c.domain) << c.address.toStdString();
}

TEST(MailFormat, ComposedMessageHasOneHeaderEachAndCrLfLines)
{
    MailMessage message;
    message.fromAddress = QStringLiteral("me@example.com");
    message.fromName = QStringLiteral("Me\r\nBcc: eve@example.org");
    message.recipients = {QStringLiteral("ann@example.org"), QStringLiteral("bob@example.net")};
    message.subject = QStringLiteral("An Article from \"N\r\nBcc: eve@example.org\"");
    message.body = QStringLiteral("<p>one</p>\n<p>two</p>");
    message.date = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53), QTimeZone(0));

    const QByteArray bytes = MailFormat::compose(message);
    const qsizetype split = bytes.indexOf("\r\n\r\n");
    ASSERT_GT(split, 0);
    EXPECT_FALSE(QByteArray(bytes).replace("\r\n", "").contains('\n'));
    EXPECT_FALSE(QByteArray(bytes).replace("\r\n", "").contains('\r'));
    EXPECT_TRUE(bytes.endsWith("\r\n"));

    QStringList names;
    for (const QByteArray &line : bytes.left(split).split('\n')) {
        if (!line.startsWith(' '))
            names << QString::fromLatin1(line.left(line.indexOf(':')));
    }
    EXPECT_EQ(names,
              QStringList({"Date", "From", "To", "Subject", "Message-ID", "MIME-Version",
                           "Content-Type", "Content-Transfer-Encoding", "X-Mailer"}));
    EXPECT_TRUE(bytes.contains("\r\nTo: ann@example.org, bob@example.net\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nContent-Type: text/html; charset=UTF-8\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nContent-Transfer-Encoding: quoted-printable\r\n"));
    EXPECT_TRUE(bytes.contains("\r\n\r\n<p>one</p>\r\n<p>two</p>\r\n"));

    static const QRegularExpression id(QStringLiteral("Message-ID: <[0-9a-f-]{36}@example\\.com>"));
    EXPECT_TRUE(id.match(QString::fromLatin1(bytes)).hasMatch());
    EXPECT_NE(MailFormat::compose(message).mid(bytes.indexOf("Message-ID")),
              bytes.mid(bytes.indexOf("Message-ID")));
}

} // namespace
