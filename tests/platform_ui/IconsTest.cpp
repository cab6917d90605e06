// The icons are compiled into the static platform_ui library; this program links that library
// the way the real programs do, so a resource that does not travel with it fails here.

#include "platform/Icons.h"

#include "support/QtPrinters.h"

#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

namespace {

// Whether any pixel of the image is not fully transparent. A missing or unreadable SVG already
// gives a null icon; this catches one that parses but draws nothing inside its view box.
bool hasVisiblePixels(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

class NamedIconTest : public ::testing::TestWithParam<const char *> { };

TEST_P(NamedIconTest, LoadsAndDrawsAtListAndToolbarSizes)
{
    const QIcon icon = platform::namedIcon(QString::fromLatin1(GetParam()));
    ASSERT_FALSE(icon.isNull());
    for (const int side : {16, 32}) {
        const QImage image = icon.pixmap(side, side).toImage();
        EXPECT_EQ(image.size(), QSize(side, side)) << side << " px";
        EXPECT_TRUE(hasVisiblePixels(image)) << side << " px";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryName, NamedIconTest,
                         ::testing::Values("marlowin", "tree-root", "category", "feed-rss",
                                           "feed-atom", "feed-podcast", "item-read", "item-unread",
                                           "add-feed", "add-category", "toggle-panel", "email",
                                           "settings", "schedule", "website"),
                         [](const auto &param) {
                             std::string name = param.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(NamedIcon, UnknownNameDrawsNothing)
{
    const QIcon icon = platform::namedIcon(QStringLiteral("no-such-icon"));
    EXPECT_TRUE(icon.isNull() || !hasVisiblePixels(icon.pixmap(16, 16).toImage()));
}

} // namespace
