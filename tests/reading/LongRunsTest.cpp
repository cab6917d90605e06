#include "reading/LongRuns.h"

#include <QList>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using LongRuns::kBreak;
using LongRuns::kEllipsis;

QString times(const QString &piece, int count)
{
    return piece.repeated(count);
}

QString a(int count)
{
    return times(QStringLiteral("a"), count);
}

const QString kZwsp(kBreak);
const QString kCut(kEllipsis);
const QString kEmoji = QStringLiteral("\U0001F600");                 // a surrogate pair
const QString kCoder = QStringLiteral("\U0001F469\u200D\U0001F4BB"); // joined with U+200D
const QString kAccented = QStringLiteral("e\u0301");                 // e and a combining acute
const QString kFlag = QStringLiteral("\U0001F1EB\U0001F1F7");        // two regional indicators
const QString kNoBreakSpace = QStringLiteral("\u00A0");

// The longest stretch of text without a break opportunity, in characters (a surrogate pair
// counts once).
qsizetype longestRun(const QString &text)
{
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : text) {
        if (LongRuns::isBreakOpportunity(c))
            run = 0;
        else if (!c.isLowSurrogate())
            longest = std::max(longest, ++run);
    }
    return longest;
}

// True when no break put into the text splits a character of it.
bool splitsNoCharacter(const QString &broken)
{
    QString text;
    QList<qsizetype> breaks;
    for (const QChar c : broken) {
        if (c == kBreak)
            breaks << text.size();
        else
            text += c;
    }
    return std::all_of(breaks.cbegin(), breaks.cend(),
                       [&text](qsizetype at) { return LongRuns::canSplitAt(text, at); });
}

TEST(LongRunsBreaks, LongRunsGetBreaksShortOnesAndOtherTextStayAsTheyAre)
{
    const struct {
        const char *what;
        QString text;
        QString expected;
    } cases[] = {
        {"an ordinary title", QStringLiteral("An ordinary title, with words"),
         QStringLiteral("An ordinary title, with words")},
        {"a run as long as is kept whole", a(64), a(64)},
        {"one character more", a(65), a(64) + kZwsp + a(1)},
        {"then a break every sixteen", a(100),
         a(64) + kZwsp + a(16) + kZwsp + a(16) + kZwsp + a(4)},
        {"white space ends a run", a(60) + u' ' + a(60) + u'\n' + a(60),
         a(60) + u' ' + a(60) + u'\n' + a(60)},
        {"and a run after a broken one is kept as long", a(100) + u' ' + a(70),
         a(64) + kZwsp + a(16) + kZwsp + a(16) + kZwsp + a(4) + u' ' + a(64) + kZwsp + a(6)},
        {"a no-break space does not", a(40) + kNoBreakSpace + a(40),
         a(40) + kNoBreakSpace + a(23) + kZwsp + a(16) + kZwsp + a(1)},
        {"a surrogate pair counts as one and stays whole", times(kEmoji, 66),
         times(kEmoji, 64) + kZwsp + times(kEmoji, 2)},
        {"a mark stays with its letter", a(63) + kAccented + a(3),
         a(63) + kAccented + kZwsp + a(3)},
        {"a joined emoji stays whole", a(63) + kCoder + a(3), a(63) + kCoder + kZwsp + a(3)},
        {"a flag stays whole", a(63) + kFlag + a(3), a(63) + kFlag + kZwsp + a(3)},
    };
    for (const auto &c : cases) {
        const QString broken = LongRuns::withBreaks(c.text);
        EXPECT_EQ(broken, c.expected) << c.what;
        EXPECT_EQ(LongRuns::withoutBreaks(broken), c.text) << c.what;
    }
}

// Whatever the text, the breaks bound every run and split no character; only a run of nothing
// but marks has to be split between two of them.
TEST(LongRunsBreaks, BoundEveryRunOfAnyText)
{
    const QString texts[] = {
        a(100000),
        times(kEmoji, 5000),
        times(kAccented, 5000),
        times(kCoder, 3000),
        times(QStringLiteral("\u4E2D\u6587"), 5000),
        times(QStringLiteral("\u0301"), 5000),
    };
    for (const QString &text : texts) {
        const QString broken = LongRuns::withBreaks(text);
        EXPECT_EQ(LongRuns::withoutBreaks(broken), text);
        EXPECT_LE(longestRun(broken), LongRuns::kKeptRun + LongRuns::kBreakEvery);
        if (text.at(0) != QChar(0x0301)) {
            EXPECT_TRUE(splitsNoCharacter(broken)) << text.left(8).toStdString();
        }
    }
}

TEST(LongRunsBreaks, ARunGoesOnAcrossPiecesAndAtoms)
{
    LongRuns::Breaker breaker;
    QString out;
    breaker.append(a(40), out);
    out += QStringLiteral("<b>");
    breaker.append(a(40), out);
    EXPECT_EQ(out, a(40) + QStringLiteral("<b>") + a(24) + kZwsp + a(16));

    LongRuns::Breaker references;
    QString escaped;
    for (int i = 0; i < 66; ++i)
        references.appendAtom(QStringLiteral("&amp;"), escaped);
    EXPECT_EQ(escaped,
              times(QStringLiteral("&amp;"), 64) + kZwsp + times(QStringLiteral("&amp;"), 2));
}

TEST(LongRunsLines, KeepTheirWordsAndCutLongRunsAndLengthWithAnEllipsis)
{
    const QString word = QStringLiteral("word ");
    const struct {
        const char *what;
        QString text;
        QString expected;
    } cases[] = {
        {"an ordinary title", QStringLiteral("An ordinary title"),
         QStringLiteral("An ordinary title")},
        {"a run as long as is kept", a(64), a(64)},
        {"a longer run", a(65), a(64) + kCut},
        {"a huge run before a suffix", a(1 << 20) + QStringLiteral(" [new]"),
         a(64) + kCut + QStringLiteral(" [new]")},
        {"a run between words", QStringLiteral("see ") + a(100) + QStringLiteral(" now"),
         QStringLiteral("see ") + a(64) + kCut + QStringLiteral(" now")},
        {"as long as is kept", times(word, 51) + QStringLiteral("e"),
         times(word, 51) + QStringLiteral("e")},
        {"too many words", times(word, 100000), times(word, 51) + QStringLiteral("w") + kCut},
        {"a surrogate pair is not split", QStringLiteral("a") + times(kEmoji, 40),
         QStringLiteral("a") + times(kEmoji, 31) + kCut},
        {"a mark stays with its letter", a(63) + kAccented + a(10), a(63) + kCut},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LongRuns::shortLine(c.text), c.expected) << c.what;
}

} // namespace
