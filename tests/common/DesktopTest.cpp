#include "common/Desktop.h"

#include "support/TestContext.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(DesktopOpen, OpensWebAndMailAddressesAndExistingFilesOnly)
{
    test::TestContext t;
    t.writeFile(QStringLiteral("Help.html"), "<html/>");

    for (const char *target :
         {"http://example.org/a?b=1", "HTTPS://example.org/", "mailto:ann@example.org",
          "javascript:alert(1)", "file:///etc/passwd", "ftp://example.org/", "smb://host/share",
          "/no/such/file.html", ""})
        Desktop::open(t.ctx, QString::fromLatin1(target));
    Desktop::open(t.ctx, t.path(QStringLiteral("Help.html")));
    Desktop::open(t.ctx, t.dir.path());

    ASSERT_EQ(t.shell.opened.size(), 4);
    EXPECT_EQ(t.shell.opened[0], QUrl(QStringLiteral("http://example.org/a?b=1")));
    EXPECT_EQ(t.shell.opened[1].scheme(), QStringLiteral("https"));
    EXPECT_EQ(t.shell.opened[2], QUrl(QStringLiteral("mailto:ann@example.org")));
    EXPECT_EQ(t.shell.opened[3], QUrl::fromLocalFile(t.path(QStringLiteral("Help.html"))));
}

} // namespace
