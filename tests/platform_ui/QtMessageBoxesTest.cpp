#include "platform/QtMessageBoxes.h"

#include "support/QtPrinters.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

// Acts on the box as soon as it is open, the way a user would.
void whenBoxOpens(std::function<void(QMessageBox &)> act)
{
    QTimer::singleShot(0, [act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
}

TEST(QtMessageBoxes, ShowsTitleTextIconAndButtons)
{
    platform::QtMessageBoxes boxes;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    whenBoxOpens([&](QMessageBox &box) {
        title = box.windowTitle();
        text = box.text();
        icon = box.icon();
        buttons = box.standardButtons();
        box.button(QMessageBox::Retry)->click();
    });

    const MessageAnswer answer
        = boxes.show(MessageIcon::Information, QStringLiteral("Failed to access Internet!"),
                     QStringLiteral("<b>not markup</b>"), MessageButtons::RetryCancel);

    EXPECT_EQ(answer, MessageAnswer::Retry);
    EXPECT_EQ(title, QStringLiteral("Failed to access Internet!"));
    EXPECT_EQ(text, QStringLiteral("<b>not markup</b>"));
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(buttons, QMessageBox::Retry | QMessageBox::Cancel);
}

TEST(QtMessageBoxes, EscapeGivesTheSafeAnswer)
{
    platform::QtMessageBoxes boxes;
    const struct {
        MessageButtons buttons;
        MessageAnswer answer;
    } cases[] = {
        {MessageButtons::YesNo, MessageAnswer::No},
        {MessageButtons::RetryCancel, MessageAnswer::Cancel},
        {MessageButtons::Ok, MessageAnswer::Ok},
    };
    for (const auto &c : cases) {
        whenBoxOpens([](QMessageBox &box) { QTest::keyClick(&box, Qt::Key_Escape); });
        EXPECT_EQ(
            boxes.show(MessageIcon::Question, QStringLiteral("t"), QStringLiteral("x"), c.buttons),
            c.answer);
    }
}

} // namespace
