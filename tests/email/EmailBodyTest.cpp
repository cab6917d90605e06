#include "email/EmailBody.h"

#include "platform/AppFolder.h"
#include "support/QtPrinters.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString kDisclaimer = QStringLiteral(
    "<p><font face='Verdana' size='1' color='#666666'><center>:: <u>Disclaimer</u> :: <br>This "
    "Email is manually sent using Marlowin. In case of dispute, please contact Sender "
    "directly.</center></font></p><hr size='1' color='#666666'>");

EmailBody::Parts item()
{
    EmailBody::Parts parts;
    parts.fromName = QStringLiteral("Jane Doe");
    parts.personalMessage = QStringLiteral("Hi");
    parts.title = QStringLiteral("Big news");
    parts.description = QStringLiteral("<p>The <b>whole</b> story.</p>");
    parts.link = QStringLiteral("https://example.org/items/42");
    return parts;
}

TEST(EmailBody, FillsThePlaceholdersAndAddsTheDisclaimer)
{
    const QString tpl = QStringLiteral(
        "<h1>[[title]]</h1>[[from_name]]:[[personal_message]]|[[description]]|[[title]]|[[app]]");

    EmailBody::Parts link = item();
    EXPECT_EQ(EmailBody::compose(tpl, link),
              "<h1>Big news</h1>Jane Doe:Hi|View Online: <a href='https://example.org/items/42'>"
              "https://example.org/items/42</a>|Big news|[[app]]\r\n"
                  + kDisclaimer);

    EmailBody::Parts whole = item();
    whole.completeDescription = true;
    EXPECT_EQ(EmailBody::compose(tpl, whole),
              "<h1>Big news</h1>Jane Doe:Hi|<p>The <b>whole</b> story.</p>|Big news|[[app]]\r\n"
                  + kDisclaimer);
}

// Each placeholder is filled in the text the earlier ones left: a sender name holding
// "[[title]]" gets the title too, while a title holding "[[from_name]]" stays as it is.
TEST(EmailBody, FillsInOrder)
{
    EmailBody::Parts parts = item();
    parts.fromName = QStringLiteral("[[title]]");
    parts.title = QStringLiteral("[[from_name]]");
    EXPECT_EQ(EmailBody::compose(QStringLiteral("[[from_name]]/[[title]]"), parts),
              "[[from_name]]/[[from_name]]\r\n" + kDisclaimer);
}

TEST(EmailBody, PersonalMessageBreaksLinesAndStandsInWhenBlank)
{
    const struct {
        QString typed, html;
    } cases[] = {
        {"", "- None -"},
        {" \r\n\t\n ", "- None -"},
        {"line one\nline two", "line one\r\n<br>\r\nline two"},
        {"line one\r\nline two\rthree", "line one\r\n<br>\r\nline two\r\n<br>\r\nthree"},
        {"Hello,\n\nSee below.\n", "Hello,\r\n<br>\r\n\r\n<br>\r\nSee below.\r\n<br>\r\n"},
        {"a < b & \"c\"", "a &lt; b &amp; &quot;c&quot;"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(EmailBody::personalMessageHtml(c.typed), c.html) << c.typed.toStdString();
}

// Plain text from a feed cannot end the attribute or open a tag.
TEST(EmailBody, EscapesPlainTextFromTheFeed)
{
    EmailBody::Parts parts = item();
    parts.title = QStringLiteral("Cats <script>alert(1)</script> & dogs");
    parts.link = QStringLiteral("https://example.org/?a=1&b='x' onmouseover='y");
    EXPECT_EQ(EmailBody::compose(QStringLiteral("[[title]]|[[description]]"), parts),
              "Cats &lt;script&gt;alert(1)&lt;/script&gt; &amp; dogs|View Online: <a "
              "href='https://example.org/?a=1&amp;b=&#39;x&#39; onmouseover=&#39;y'>"
              "https://example.org/?a=1&amp;b=&#39;x&#39; onmouseover=&#39;y</a>\r\n"
                  + kDisclaimer);
}

// The template shipped beside the program: every placeholder, nothing a mail client would
// fetch or run.
TEST(EmailBody, ShippedTemplateIsSelfContained)
{
    QFile file(platform::shippedFilesFolder() + QStringLiteral("/email.tpl"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    const QString tpl = QString::fromUtf8(file.readAll());
    for (const char *placeholder :
         {"[[from_name]]", "[[personal_message]]", "[[title]]", "[[description]]"})
        EXPECT_TRUE(tpl.contains(QLatin1String(placeholder))) << placeholder;
    for (const char *forbidden : {"<script", "<link", "src=", "url(", "@import", "<style"})
        EXPECT_FALSE(tpl.contains(QLatin1String(forbidden), Qt::CaseInsensitive)) << forbidden;
}

} // namespace
