#include "common/Scramble.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct ScrambleCase {
    QString plain;
    QString scrambled;
};

TEST(Scramble, EncodesToDigitsAndBack)
{
    const ScrambleCase cases[] = {
        {QStringLiteral("abc"), QStringLiteral("976068603960")},
        {QStringLiteral("0"), QStringLiteral("6330")},
        {QStringLiteral("1"), QStringLiteral("3430")},
        {QStringLiteral("é"), QStringLiteral("1361")}, // 233 * 7 = 1631
        {QStringLiteral("€"), QStringLiteral("6980")}, // 128 * 7 = 896
        {QStringLiteral("line\r\nbreak"), QString()},  // round trip only
        {QStringLiteral(" padded "), QString()},
    };
    for (const auto &c : cases) {
        const QString scrambled = Scramble::scramble(c.plain);
        if (!c.scrambled.isEmpty()) {
            EXPECT_EQ(scrambled, c.scrambled) << c.plain.toStdString();
        }
        EXPECT_TRUE(scrambled.contains(QRegularExpression(QStringLiteral("^[0-9]+$"))));
        bool ok = false;
        EXPECT_EQ(Scramble::unscramble(scrambled, &ok), c.plain);
        EXPECT_TRUE(ok);
    }
}

TEST(Scramble, BlankAndBrokenText)
{
    for (const QString &blank : {QString(), QStringLiteral("   ")}) {
        EXPECT_EQ(Scramble::scramble(blank), QString());
        EXPECT_EQ(Scramble::unscramble(blank), QString());
    }
    // Characters the code page lacks are stored as "?".
    EXPECT_EQ(Scramble::unscramble(Scramble::scramble(QStringLiteral("a\u0100b"))),
              QStringLiteral("a?b"));

    bool ok = true;
    EXPECT_EQ(Scramble::unscramble(QStringLiteral("97x068603960"), &ok), QString());
    EXPECT_FALSE(ok);
}

} // namespace
