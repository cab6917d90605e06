#include "common/ComboCompletion.h"

#include "support/MemoryComboBox.h"

#include "support/QtPrinters.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Types a character the way the dialog's key handler does: completion first, then the key
// itself when it was not consumed (it replaces the selection).
void type(test::MemoryComboBox &combo, int key, bool limitToList = false)
{
    int code = key;
    ComboCompletion::complete(combo, code, limitToList, true);
    if (code == 0 || code == 8 || code == 13)
        return;
    const QString text = combo.text();
    const int start = combo.selectionStart();
    combo.setText(text.left(start) + QChar(char16_t(code))
                  + text.mid(start + combo.selectedText().size()));
}

TEST(ComboCompletion, CompletesToTheFirstMatchingEntryAndSelectsTheRest)
{
    test::MemoryComboBox combo(
        {QStringLiteral("News"), QStringLiteral("Podcasts"), QStringLiteral("Politics")});
    type(combo, 'p');
    EXPECT_EQ(combo.text(), QStringLiteral("Podcasts"));
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(combo.selectionStart(), 1);
    EXPECT_EQ(combo.selectedText(), QStringLiteral("odcasts"));

    type(combo, 'O');
    type(combo, 'l');
    EXPECT_EQ(combo.text(), QStringLiteral("Politics"));
    EXPECT_EQ(combo.selectedText(), QStringLiteral("itics"));
}

TEST(ComboCompletion, FreeTextOrLimitedToTheList)
{
    test::MemoryComboBox free({QStringLiteral("News"), QStringLiteral("Podcasts")});
    type(free, 'T');
    type(free, 'e');
    EXPECT_EQ(free.text(), QStringLiteral("Te"));
    EXPECT_EQ(free.beeps, 0);

    test::MemoryComboBox limited({QStringLiteral("News"), QStringLiteral("Podcasts")});
    type(limited, 'x', true);
    EXPECT_EQ(limited.text(), QString());
    EXPECT_EQ(limited.beeps, 1);
}

TEST(ComboCompletion, EditingKeys)
{
    test::MemoryComboBox combo({QStringLiteral("News"), QStringLiteral("Podcasts")});
    type(combo, 'p');
    type(combo, 'o');
    type(combo, 8); // Backspace: back to the completion of "p"
    EXPECT_EQ(combo.text(), QStringLiteral("Podcasts"));
    EXPECT_EQ(combo.selectionStart(), 1);
    type(combo, 8); // one character left: cleared
    EXPECT_EQ(combo.text(), QString());

    type(combo, 'n');
    type(combo, 27); // Escape clears
    EXPECT_EQ(combo.text(), QString());
    type(combo, 'n');
    type(combo, '.'); // so does the full stop
    EXPECT_EQ(combo.text(), QString());

    test::MemoryComboBox fresh({QStringLiteral("News"), QStringLiteral("Podcasts")});
    type(fresh, 13); // Enter with nothing chosen takes the first entry whole
    EXPECT_EQ(fresh.text(), QStringLiteral("News"));
    EXPECT_EQ(fresh.selectedText(), QStringLiteral("News"));
    fresh.setSelection(4, 0);
    type(fresh, 13); // Enter on a chosen entry selects its whole text
    EXPECT_EQ(fresh.selectedText(), QStringLiteral("News"));
}

} // namespace
