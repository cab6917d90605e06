#include "shell/ComboAutoComplete.h"

#include "platform/ComboBoxView.h"

#include "support/QtPrinters.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// An editable drop-down list as plain data.
class FakeCombo final : public platform::ComboBoxView {
public:
    explicit FakeCombo(QStringList entries) : m_entries(std::move(entries)) {}

    QString text() const override { return m_text; }
    void setText(const QString &text) override
    {
        m_text = text;
        m_start = int(text.size());
        m_length = 0;
    }
    int selectionStart() const override { return m_start; }
    void setSelection(int start, int length) override
    {
        m_start = start;
        m_length = length;
    }
    int count() const override { return int(m_entries.size()); }
    QString itemText(int index) const override { return m_entries.at(index); }
    int currentIndex() const override { return m_index; }
    void setCurrentIndex(int index) override
    {
        m_index = index;
        setText(m_entries.at(index));
    }
    void beep() override { ++beeps; }

    // Types a character the way the dialog's key handler does: completion first, then the
    // key itself when it was not consumed (it replaces the selection).
    void type(int key, bool limitToList = false)
    {
        int code = key;
        mUtil::ComboAutoComplete(*this, code, limitToList, true);
        if (code != 0 && code != 8 && code != 13)
            setText(m_text.left(m_start) + QChar(char16_t(code)) + m_text.mid(m_start + m_length));
    }

    QString selectedText() const { return m_text.mid(m_start, m_length); }
    int beeps = 0;

private:
    QStringList m_entries;
    QString m_text;
    int m_start = 0;
    int m_length = 0;
    int m_index = -1;
};

TEST(ComboAutoComplete, CompletesToTheFirstMatchingEntryAndSelectsTheRest)
{
    FakeCombo combo({QStringLiteral("News"), QStringLiteral("Podcasts"), QStringLiteral("Politics")});
    combo.type('p');
    EXPECT_EQ(combo.text(), QStringLiteral("Podcasts"));
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(combo.selectionStart(), 1);
    EXPECT_EQ(combo.selectedText(), QStringLiteral("odcasts"));

    combo.type('O');
    combo.type('l');
    EXPECT_EQ(combo.text(), QStringLiteral("Politics"));
    EXPECT_EQ(combo.selectedText(), QStringLiteral("itics"));
}

TEST(ComboAutoComplete, FreeTextOrLimitedToTheList)
{
    FakeCombo free({QStringLiteral("News"), QStringLiteral("Podcasts")});
    free.type('T');
    free.type('e');
    EXPECT_EQ(free.text(), QStringLiteral("Te"));
    EXPECT_EQ(free.beeps, 0);

    FakeCombo limited({QStringLiteral("News"), QStringLiteral("Podcasts")});
    limited.type('x', true);
    EXPECT_EQ(limited.text(), QString());
    EXPECT_EQ(limited.beeps, 1);
}

TEST(ComboAutoComplete, EditingKeys)
{
    FakeCombo combo({QStringLiteral("News"), QStringLiteral("Podcasts")});
    combo.type('p');
    combo.type('o');
    combo.type(8); // Backspace: back to the completion of "p"
    EXPECT_EQ(combo.text(), QStringLiteral("Podcasts"));
    EXPECT_EQ(combo.selectionStart(), 1);
    combo.type(8); // one character left: cleared
    EXPECT_EQ(combo.text(), QString());

    combo.type('n');
    combo.type(27); // Escape clears
    EXPECT_EQ(combo.text(), QString());
    combo.type('n');
    combo.type('.'); // so does the full stop
    EXPECT_EQ(combo.text(), QString());

    FakeCombo fresh({QStringLiteral("News"), QStringLiteral("Podcasts")});
    fresh.type(13); // Enter with nothing chosen takes the first entry whole
    EXPECT_EQ(fresh.text(), QStringLiteral("News"));
    EXPECT_EQ(fresh.selectedText(), QStringLiteral("News"));
    fresh.setSelection(4, 0);
    fresh.type(13); // Enter on a chosen entry selects its whole text
    EXPECT_EQ(fresh.selectedText(), QStringLiteral("News"));
}

} // namespace
