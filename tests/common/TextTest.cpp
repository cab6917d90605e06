#include "common/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(IsBlank, TrimsWhiteSpace)
{
    EXPECT_TRUE(Text::isBlank(QString()));
    EXPECT_TRUE(Text::isBlank(QStringLiteral("   ")));
    EXPECT_TRUE(Text::isBlank(QStringLiteral(" \t\r\n")));
    EXPECT_FALSE(Text::isBlank(QStringLiteral("  x ")));
}

} // namespace
