#include "subscriptions/CategoryDialog.h"

#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"

#include "DialogSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using platform::MessageIcon;
using test::StoredCategory;

const QString kBlankTitle = QStringLiteral("Category Name?");
const QString kBlankText = QStringLiteral("Please specify Name of Category.");

class CategoryDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.writeFile(QStringLiteral("feeds.fdb"), test::kTwoCategories);
        languages.registerDefaultMessages();
    }

    // Opens the dialog as the main window does, shown instead of exec'd.
    void open(bool editing, const QString &name = {})
    {
        dialog = std::make_unique<CategoryDialog>(t.ctx, languages, [this] { ++reloads; });
        dialog->setEditing(editing);
        dialog->setCategoryName(name);
        dialog->prepare();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    template<class Widget> Widget *child(const char *name) const
    {
        auto *widget = dialog->findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit *field() const { return child<QLineEdit>("txtCategoryName"); }
    QPushButton *btnOK() const { return child<QPushButton>("btnOK"); }

    void enter(const QString &name, bool withEnterKey = false)
    {
        field()->setText(name);
        if (withEnterKey)
            QTest::keyClick(field(), Qt::Key_Return);
        else
            btnOK()->click();
    }

    QStringList storedNames() const
    {
        QStringList names;
        for (const StoredCategory &category : test::storedCategories(t))
            names.append(category.name);
        return names;
    }

    test::TestContext t;
    Languages languages{t.ctx.appFolder, ProgramIdentity{}};
    std::unique_ptr<CategoryDialog> dialog;
    int reloads = 0;
};

TEST_F(CategoryDialogTest, OpensWithTheModesButtonAndName)
{
    open(false, QStringLiteral("News"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Add/Edit Category"));
    EXPECT_EQ(child<QLabel>("lblInfo")->text(), QStringLiteral("Name of Category:"));
    EXPECT_EQ(btnOK()->text(), QStringLiteral("Add Category"));
    EXPECT_EQ(field()->text(), QString());

    open(true, QStringLiteral("News"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Add/Edit Category"));
    EXPECT_EQ(btnOK()->text(), QStringLiteral("Save Details"));
    EXPECT_EQ(field()->text(), QStringLiteral("News"));
}

TEST_F(CategoryDialogTest, AddingStoresTheNameAsTyped)
{
    struct Case {
        const char *what;
        QString typed;
        bool withEnterKey;
    };
    const Case cases[] = {
        {"leading spaces are kept", QStringLiteral("  Science"), false},
        {"an existing name in other case is added again", QStringLiteral("news"), false},
        {"Enter adds like the button", QStringLiteral("Sports"), true},
    };
    QStringList expected = storedNames();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const int reloadsBefore = reloads;
        open(false);

        enter(c.typed, c.withEnterKey);

        expected.append(c.typed);
        EXPECT_EQ(storedNames(), expected);
        EXPECT_EQ(reloads, reloadsBefore + 1);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// What renaming News in the dialog does with each name; a refused name leaves the dialog open
// with the focus in the field and the database unchanged.
TEST_F(CategoryDialogTest, SavingDetailsRenamesWithTheTreesRules)
{
    struct Case {
        const char *what;
        QString oldName;
        QString typed;
        QString boxTitle; // empty: no box
        QString boxText;
        bool renamed;
    };
    const Case cases[] = {
        {"spaces only", QStringLiteral("News"), QStringLiteral("   "), kBlankTitle, kBlankText,
         false},
        {"the same name in other case",
         QStringLiteral("News"),
         QStringLiteral("NEWS"),
         {},
         {},
         false},
        {"another category's name in other case", QStringLiteral("News"),
         QStringLiteral("podcasts"), QStringLiteral("Category Exists!"),
         QStringLiteral("Category with same Name already exists. Try some other Category Name ..."),
         false},
        {"a category that is no longer there", QStringLiteral("Gone"), QStringLiteral("World"),
         QStringLiteral("Alert!"),
         QStringLiteral("Application failed to access Category named \"Gone\" in database. Edit "
                        "operation failed. Please Refresh Category tree and try again ..."),
         false},
        {"a new name, with Enter", QStringLiteral("News"), QStringLiteral(" World"), {}, {}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        t.messages.shown.clear();
        reloads = 0;
        open(true, c.oldName);

        enter(c.typed, c.renamed);

        if (c.boxTitle.isEmpty()) {
            EXPECT_TRUE(t.messages.shown.isEmpty());
        } else {
            ASSERT_EQ(t.messages.shown.size(), 1);
            EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
            EXPECT_EQ(t.messages.shown[0].title, c.boxTitle);
            EXPECT_EQ(t.messages.shown[0].text, c.boxText);
        }
        if (c.renamed) {
            EXPECT_EQ(storedNames(), (QStringList{c.typed, QStringLiteral("Podcasts")}));
            EXPECT_EQ(test::storedCategories(t).first().feeds.size(), 1);
            EXPECT_EQ(reloads, 1);
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
        } else {
            EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), test::kTwoCategories);
            EXPECT_EQ(reloads, 0);
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_EQ(QApplication::focusWidget(), field());
        }
    }
}

TEST_F(CategoryDialogTest, BlankNameIsRefusedWhenAdding)
{
    open(false);

    enter(QStringLiteral(" \t "));

    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(t.messages.shown[0].title, kBlankTitle);
    EXPECT_EQ(t.messages.shown[0].text, kBlankText);
    EXPECT_EQ(QApplication::focusWidget(), field());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), test::kTwoCategories);
    EXPECT_EQ(reloads, 0);
}

TEST_F(CategoryDialogTest, CancelChangesNothing)
{
    open(true, QStringLiteral("News"));
    field()->setText(QStringLiteral("World"));

    child<QPushButton>("btnCancel")->click();

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(t.readFile(QStringLiteral("feeds.fdb")), test::kTwoCategories);
    EXPECT_EQ(reloads, 0);
}

TEST_F(CategoryDialogTest, LanguageFileTranslatesLabelAndTitleButNotTheButtons)
{
    t.writeFile(
        QStringLiteral("Localization.txt"),
        test::germanLanguageFile({"<FRMCATEGORY_LBLINFO>Name der Kategorie:</FRMCATEGORY_LBLINFO>",
                                  "<CAPTION_FRMCATEGORY>Kategorie</CAPTION_FRMCATEGORY>",
                                  "<FRMCATEGORY_BTNOK>Speichern</FRMCATEGORY_BTNOK>",
                                  "<FRMCATEGORY_BTNCANCEL>Abbrechen</FRMCATEGORY_BTNCANCEL>"}));
    // The title comes from the message table, which the main window's translation has
    // rewritten by the time a dialog opens.
    QWidget mainWindow;
    mainWindow.setObjectName(QStringLiteral("frmMain"));
    QtTranslatableWindow translated(mainWindow);
    languages.changeLanguage(translated, QStringLiteral("German"));

    open(true, QStringLiteral("News"));

    EXPECT_EQ(child<QLabel>("lblInfo")->text(), QStringLiteral("Name der Kategorie:"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Kategorie"));
    EXPECT_EQ(btnOK()->text(), QStringLiteral("Save Details"));
    EXPECT_EQ(child<QPushButton>("btnCancel")->text(), QStringLiteral("Cancel"));
}

} // namespace
