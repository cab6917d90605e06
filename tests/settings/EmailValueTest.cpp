#include "settings/EmailValue.h"

#include "support/QtPrinters.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kUnicodePassword = QStringLiteral("pässwörd€-✓-中文-😀");

TEST(EmailValue, AnyTextIsStoredMarkedAndReadsBack)
{
    const struct {
        QString value;
        QString stored; // empty: round trip only
    } cases[] = {
        {QStringLiteral("smtp.example.org"), QStringLiteral("u8:smtp.example.org")},
        {QStringLiteral("1"), QStringLiteral("u8:1")},
        {QStringLiteral("Zoë"), QStringLiteral("u8:Zo%C3%AB")},
        {QStringLiteral("a b=c;d\"e:f"), QStringLiteral("u8:a%20b%3Dc%3Bd%22e%3Af")},
        {QString(), QString()},
        {kUnicodePassword, {}},
        {QStringLiteral(" two\r\nlines "), {}},
        {QStringLiteral("u8:looks marked"), {}},
        {QStringLiteral("6330"), {}}, // digits, as the earlier form stores
    };
    static const QRegularExpression safe(QStringLiteral("\\A(u8:[A-Za-z0-9._~%-]*)?\\z"));
    for (const auto &c : cases) {
        const QString stored = EmailValue::stored(c.value);
        if (!c.stored.isNull()) {
            EXPECT_EQ(stored, c.stored);
        }
        EXPECT_TRUE(safe.match(stored).hasMatch()) << stored.toStdString();
        EXPECT_EQ(EmailValue::read(stored), c.value);
    }
}

TEST(EmailValue, ReadsTheEarlierScrambledFormAndNothingElse)
{
    EXPECT_EQ(EmailValue::read(QStringLiteral("976068603960")), QStringLiteral("abc"));
    EXPECT_EQ(EmailValue::read(QStringLiteral("6330")), QStringLiteral("0"));
    EXPECT_EQ(EmailValue::read(QString()), QString());
    for (const QString &broken :
         {QStringLiteral("smtp.example.org"), QStringLiteral("u8:a b"), QStringLiteral("u8:%4"),
          QStringLiteral("u8:%ZZ"), QStringLiteral("u8:%FF"), QStringLiteral("U8:abc")})
        EXPECT_EQ(EmailValue::read(broken), std::nullopt) << broken.toStdString();
}

} // namespace
