// Switching the program to German and then to French leaves no caption of the main window and
// the dialogs in English, except words that are the same in both languages.

#include "app/LanguageFile.h"
#include "app/WindowCatalog.h"
#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "shell/MainWindow.h"
#include "shell/ProgramInfo.h"
#include "shell/QtProgramDialogs.h"
#include "support/TestContext.h"

#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

namespace test {
namespace {

class NoAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &) override { }
};

// Texts that read the same in the language: names, and words both languages share. The hidden
// sort column's name is listed as the reader shows it too, with its first letter in upper case.
const QSet<QString> kSameInGerman{
    QStringLiteral("OK"),           QStringLiteral("Marlowin"), QStringLiteral("date_sort"),
    QStringLiteral("Date_sort"),    QStringLiteral("Port:"),    QStringLiteral("Feeds"),
    QStringLiteral("Feed Manager"), QStringLiteral("Status"),   QStringLiteral("Name"),
    QStringLiteral("E-Mail"),       QStringLiteral("Podcasts")};
const QSet<QString> kSameInFrench{QStringLiteral("OK"),        QStringLiteral("Marlowin"),
                                  QStringLiteral("date_sort"), QStringLiteral("Date_sort"),
                                  QStringLiteral("Port :"),    QStringLiteral("Port:"),
                                  QStringLiteral("Options")};

class TranslationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::copy(QStringLiteral(MARLOWIN_RESOURCES_DIR "/Localization.txt"),
                    t.path(QStringLiteral("Localization.txt")));
        languages.registerDefaultMessages();
        windows = createAllWindows(MainWindowServices{t.ctx, languages, dialogs, announcement, {}});
    }
    void TearDown() override
    {
        while (!windows.empty())
            windows.pop_back();
    }

    // Every caption still in English after switching to the language.
    QStringList untranslated(const QString &language, const QSet<QString> &same)
    {
        QStringList left;
        for (const auto &window : windows) {
            QtTranslatableWindow translatable(*window);
            languages.changeLanguage(translatable, QStringLiteral("English"));
            const QList<CaptionItem> english = collectCaptions(QtTranslatableWindow(*window));
            languages.changeLanguage(translatable, language);
            const QList<CaptionItem> translated = collectCaptions(QtTranslatableWindow(*window));
            for (qsizetype i = 0; i < english.size() && i < translated.size(); ++i) {
                const QString &text = english[i].text;
                if (text.trimmed().isEmpty() || same.contains(text.trimmed())
                    || translated[i].text != text)
                    continue;
                left << english[i].key + QStringLiteral(" = ") + text;
            }
        }
        return left;
    }

    TestContext t;
    Languages languages{t.ctx.appFolder, ProgramInfo::identity()};
    QtProgramDialogs dialogs{t.ctx, languages};
    NoAnnouncement announcement;
    std::vector<std::unique_ptr<QWidget>> windows;
};

// Every key and English text the windows show is in the shipped file, and nothing else: a window
// or control renamed in the code would lose its translations in every user's language file.
TEST_F(TranslationsTest, TheShippedFileIsTheOneTheWindowsGenerate)
{
    QFile shipped(QStringLiteral(MARLOWIN_RESOURCES_DIR "/Localization.txt"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    const QByteArray generated
        = languageFile(languages, windowCaptions(windows),
                       translatedGroups(QStringLiteral(MARLOWIN_RESOURCES_DIR "/translations")));
    EXPECT_TRUE(generated == shipped.readAll())
        << "run build/src/app/marlowin-language-file resources docs/names.md";
}

TEST_F(TranslationsTest, GermanThenFrenchLeaveNoCaptionInEnglish)
{
    EXPECT_EQ(untranslated(QStringLiteral("Deutsch"), kSameInGerman), QStringList{});
    EXPECT_EQ(untranslated(QStringLiteral("Français"), kSameInFrench), QStringList{});
}

} // namespace
} // namespace test
