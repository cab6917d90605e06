#include "settings/DesktopEntry.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using DesktopEntry::execArguments;
using DesktopEntry::parseMainGroup;

// The Exec value as a launcher sees it: the line parsed as a file, then split into arguments.
std::optional<QStringList> argumentsOfLine(const QByteArray &execLine)
{
    const auto group = parseMainGroup("[Desktop Entry]\n" + execLine + "\n");
    if (!group)
        return std::nullopt;
    return execArguments(group->value(QStringLiteral("Exec")));
}

QByteArray execLine(const QString &path)
{
    return "Exec="
        + DesktopEntry::escapedValue(DesktopEntry::quotedExecArgument(path) + QStringLiteral(" -s"))
              .toUtf8();
}

TEST(DesktopEntryExec, AnyPathSurvivesQuotingAndEscaping)
{
    const QStringList paths{
        QStringLiteral("/usr/bin/marlowin"),
        QStringLiteral("/opt/My Apps/marlowin"),
        QStringLiteral("/tmp/a\"b$c`d\\e%f%%g/marlowin"),
        QStringLiteral("/tmp/tab\there/line\nbreak/marlowin"),
        QStringLiteral("/home/zoë/bin/marlowin"),
    };
    for (const QString &path : paths)
        EXPECT_EQ(argumentsOfLine(execLine(path)), (QStringList{path, QStringLiteral("-s")}))
            << path.toStdString();
}

// Two escaping layers: the Exec quoting (\" \$ \\ %%) and, over it, the value escapes (\\).
TEST(DesktopEntryExec, QuotingIsWrittenAsLaunchersExpectIt)
{
    EXPECT_EQ(execLine(QStringLiteral("/opt/a \"b\"/c\\d$%")),
              QByteArray(R"(Exec="/opt/a \\"b\\"/c\\\\d\\$%%" -s)"));
}

TEST(DesktopEntryExec, CommandLinesSplitIntoArguments)
{
    struct Case {
        QString exec;
        std::optional<QStringList> arguments;
    };
    const QList<Case> cases{
        {QStringLiteral("marlowin %U"), QStringList{"marlowin", "%U"}},
        {QStringLiteral("  /usr/bin/marlowin   -s "), QStringList{"/usr/bin/marlowin", "-s"}},
        {QStringLiteral("\"/opt/my app/marlowin\" -s"), QStringList{"/opt/my app/marlowin", "-s"}},
        {QStringLiteral("sh -c \"echo \\\"hi\\\" \\$HOME\""),
         QStringList{"sh", "-c", "echo \"hi\" $HOME"}},
        {QStringLiteral("run \"\" 100%%"), QStringList{"run", "", "100%"}},
        {QStringLiteral("\"/opt/unclosed -s"), std::nullopt},
        {QString(), QStringList{}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(execArguments(c.exec), c.arguments) << c.exec.toStdString();
}

TEST(DesktopEntryParse, ReadsTheMainGroupOnly)
{
    const auto group = parseMainGroup("# written by hand\r\n"
                                      "\r\n"
                                      "[Desktop Entry]\r\n"
                                      "Type = Application\r\n"
                                      "Name[de]=Marlowin DE\r\n"
                                      "Comment=\\sleading\\tand\\\\back\\;slash\r\n"
                                      "Exec=first\r\n"
                                      "Exec=second\r\n"
                                      "[Desktop Action Other]\r\n"
                                      "Exec=other\r\n");
    ASSERT_TRUE(group);
    EXPECT_EQ(group->value("Type"), "Application");
    EXPECT_EQ(group->value("Name[de]"), "Marlowin DE");
    EXPECT_EQ(group->value("Comment"), " leading\tand\\back\\;slash");
    EXPECT_EQ(group->value("Exec"), "second");
}

TEST(DesktopEntryParse, RefusesTextThatIsNoDesktopEntry)
{
    const QList<QByteArray> texts{
        "",
        "#!/bin/sh\nexec /usr/bin/marlowin\n",
        "Exec=/usr/bin/marlowin\n[Desktop Entry]\nType=Application\n",
        "[Desktop Entry]\nType=Application\nexec /usr/bin/marlowin\n",
        "[Desktop Entry]\n=Application\n",
        "[Other Group]\nExec=/usr/bin/marlowin\n",
    };
    for (const QByteArray &text : texts)
        EXPECT_FALSE(parseMainGroup(text)) << text.toStdString();
}

} // namespace
