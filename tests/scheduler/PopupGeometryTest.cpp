#include "scheduler/PopupGeometry.h"
#include "scheduler/PopupTransparency.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

using PopupGeometry::popupRect;
using PopupGeometry::PopupSlide;

TEST(PopupAlpha, PercentageGivesAlphaRoundedHalfToEvenAndOutOfRangeGivesOne)
{
    const struct {
        qint16 percentage;
        int alpha;
    } cases[] = {
        {0, 255},
        {10, 230},
        {100, 0},
        // 178.5 and 76.5: halves go to the even neighbour (rounding half up would say 179, 77).
        {30, 178},
        {70, 76},
        {50, 128},
        {90, 26},
        {1, 252},
        {99, 3},
        // Outside 0..255 the result is 1: -127.5, 280.5 and beyond.
        {150, 1},
        {101, 1},
        {-10, 1},
        {32767, 1},
        {-32768, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.percentage);
        EXPECT_EQ(popupAlpha(c.percentage), c.alpha);
    }
}

TEST(PopupGeometry, TwipsBecomeTheNearestPixel)
{
    const struct {
        int twips;
        int pixels;
    } cases[] = {{0, 0}, {7, 0}, {8, 1}, {15, 1}, {100, 7}, {200, 13}, {75, 5}, {-100, -7}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.twips);
        EXPECT_EQ(PopupGeometry::twipsToPixels(c.twips), c.pixels);
    }
    EXPECT_EQ(PopupGeometry::pixelsToTwips(200), 3000);
}

TEST(PopupGeometry, BottomSitsOnTheWorkAreaAndRightEdgeFivePixelsInside)
{
    const struct {
        QRect workArea;
        int width;
        int heightTwips;
        QRect expected;
    } cases[] = {
        {QRect(0, 0, 800, 600), 300, 1500, QRect(495, 500, 300, 100)},
        // A taskbar on the left and one at the bottom: the work area does not start at 0.
        {QRect(64, 0, 1216, 760), 320, 3000, QRect(955, 560, 320, 200)},
        // Height 0, as at the start of the opening: an empty rectangle on the bottom edge.
        {QRect(0, 0, 800, 600), 300, 0, QRect(495, 600, 300, 0)},
        // 100 twips are 6.67 pixels: the top moves by 7, then 6, then 7 ...
        {QRect(0, 0, 800, 600), 300, 100, QRect(495, 593, 300, 7)},
        {QRect(0, 0, 800, 600), 300, 200, QRect(495, 587, 300, 13)},
        // No work area: all zeros, which puts the popup outside the visible screen.
        {QRect(), 300, 1500, QRect(-305, -100, 300, 100)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.heightTwips);
        const QRect rect = popupRect(c.workArea, c.width, c.heightTwips);
        EXPECT_EQ(rect, c.expected);
        if (!c.workArea.isEmpty()) {
            EXPECT_EQ(rect.y() + rect.height(), c.workArea.y() + c.workArea.height());
            EXPECT_EQ(rect.x() + rect.width(), c.workArea.x() + c.workArea.width() - 5);
        }
    }
}

// Runs the slide until it reports something else than a move; answers the heights it passed.
QList<int> slideHeights(PopupSlide &slide, PopupSlide::Step &last)
{
    QList<int> heights;
    while ((last = slide.tick()) == PopupSlide::Step::Moved)
        heights << slide.heightTwips();
    return heights;
}

TEST(PopupSlide, OpensByStepsToTheDesignHeightRaisedToTheNextStep)
{
    const struct {
        int design;
        QList<int> heights;
    } cases[] = {
        {250, {100, 200, 300}},
        {300, {100, 200, 300}},
        {301, {100, 200, 300, 400}},
        {0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.design);
        PopupSlide slide(c.design);
        EXPECT_EQ(slide.heightTwips(), 0);
        PopupSlide::Step last{};
        EXPECT_EQ(slideHeights(slide, last), c.heights);
        EXPECT_EQ(last, PopupSlide::Step::Opened);
        // Opened stays opened; nothing moves until it is told to close.
        EXPECT_EQ(slide.tick(), PopupSlide::Step::Opened);
        EXPECT_EQ(slide.direction(), PopupSlide::Direction::Opening);
    }
}

TEST(PopupSlide, ClosesFromWhereverItIsAndFinishesAtOneStepOrLess)
{
    PopupSlide opened(300);
    PopupSlide::Step last{};
    (void)slideHeights(opened, last);
    opened.close();
    EXPECT_EQ(opened.direction(), PopupSlide::Direction::Closing);
    EXPECT_EQ(slideHeights(opened, last), (QList<int>{200, 100}));
    EXPECT_EQ(last, PopupSlide::Step::Finished);
    EXPECT_EQ(opened.heightTwips(), 100);

    // Closed while still growing: it turns back from its current height.
    PopupSlide growing(3000);
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(growing.tick(), PopupSlide::Step::Moved);
    growing.close();
    EXPECT_EQ(slideHeights(growing, last), (QList<int>{300, 200, 100}));
    EXPECT_EQ(last, PopupSlide::Step::Finished);

    // Closed before it grew at all.
    PopupSlide fresh(3000);
    fresh.close();
    EXPECT_EQ(fresh.tick(), PopupSlide::Step::Finished);
}

} // namespace
