#include "localization/LanguageDialog.h"
#include "localization/Languages.h"

#include "support/LocalHttpServer.h"
#include "support/TestContext.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <mutex>
#include <string>

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

// Generous, so that a loaded machine still passes; a healthy run never comes near it.
constexpr int kArrivesMs = 20000;

QByteArray group(const QByteArray &code, const QByteArray &name,
                 const QList<std::pair<QByteArray, QByteArray>> &items)
{
    QByteArray text = "<LANGUAGE_GROUP xml:lang=\"" + code + "\">\r\n\t<LANGUAGE_NAME>" + name
        + "</LANGUAGE_NAME>\r\n\t<DESCRIPTION>About this "
          "group.</DESCRIPTION>\r\n\t<TRANSLATION_ITEMS>\r\n";
    for (const auto &[key, value] : items)
        text += "\t\t<" + key + ">" + value + "</" + key + ">\r\n";
    return text + "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
}

QByteArray languageFile(const QByteArray &groups)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n" + groups
        + "</XML_DIZ_INFO>";
}

const QByteArray kEnglish = group("en", "English", {{"MSG_TITLELANGUAGE", "Change Language"}});
const QByteArray kGerman
    = group("de", "Deutsch",
            {{"frmLanguage_Label1", "Bitte wählen Sie die Sprache des Programms:"},
             {"FRMLANGUAGE_COMMAND1", "Nach neuen Sprachen suchen"},
             {"frmLanguage_Command2", "Fertig"},
             {"FRMLANGUAGE_COMMAND3", "Dieses Programm übersetzen"},
             {"MSG_TITLELANGUAGE", "Sprache wählen"},
             {"MSG_DOWNLOADED", "Die Sprachdatei wurde geladen."}});
const QByteArray kFrench = group("fr", "Français", {{"FRMLANGUAGE_COMMAND2", "Terminé"}});
const QByteArray kInstalled = languageFile(kEnglish + kGerman);

class LanguageDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_server.routes().Get("/languages/0/Localization.txt",
                              [this](const httplib::Request &, httplib::Response &res) {
                                  const std::lock_guard lock(m_mutex);
                                  res.set_content(m_body, "text/plain; charset=utf-8");
                              });
        m_server.routes().Get(
            "/held/0/Localization.txt", [this](const httplib::Request &, httplib::Response &res) {
                m_server.holdRequest();
                res.set_content(languageFile(kEnglish + kGerman + kFrench).toStdString(),
                                "text/plain; charset=utf-8");
            });
        ASSERT_TRUE(m_server.start());
        languages.registerDefaultMessages();
        languages.loadLanguage(QStringLiteral("English"));
    }

    // The dialog as the main window opens it, with the maker's languages folder at folderUrl.
    std::unique_ptr<LanguageDialog> open(const QString &folderUrl)
    {
        auto dialog = std::make_unique<LanguageDialog>(
            t.ctx, languages, folderUrl, [this](const QString &name) { applied << name; });
        dialog->prepare();
        dialog->show();
        QApplication::processEvents();
        return dialog;
    }
    std::unique_ptr<LanguageDialog> open()
    {
        return open(m_server.url(QStringLiteral("/languages/")));
    }

    void serve(const QByteArray &body)
    {
        const std::lock_guard lock(m_mutex);
        m_body = body.toStdString();
    }

    [[nodiscard]] QString storedLanguage() const
    {
        return t.userSettings.value(QStringLiteral("Settings"), QStringLiteral("Language"),
                                    QStringLiteral("<none>"));
    }

    static QComboBox &box(LanguageDialog &dialog)
    {
        return *dialog.findChild<QComboBox *>(QStringLiteral("Combo1"));
    }
    static QPushButton &button(LanguageDialog &dialog, const char *name)
    {
        return *dialog.findChild<QPushButton *>(QString::fromLatin1(name));
    }
    static QString text(LanguageDialog &dialog, const char *name)
    {
        if (const auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name)))
            return label->text();
        return button(dialog, name).text();
    }
    static QStringList listed(LanguageDialog &dialog)
    {
        QStringList names;
        for (int i = 0; i < box(dialog).count(); ++i)
            names << box(dialog).itemText(i);
        return names;
    }
    // What the box shows: the chosen language, or its prompt when none is chosen.
    static QString shown(LanguageDialog &dialog)
    {
        return box(dialog).currentIndex() < 0 ? box(dialog).placeholderText()
                                              : box(dialog).currentText();
    }

    // The user picks the language from the drop-down list.
    static void choose(LanguageDialog &dialog, const QString &name)
    {
        const int index = box(dialog).findText(name);
        ASSERT_GE(index, 0) << name.toStdString();
        box(dialog).setCurrentIndex(index);
        Q_EMIT box(dialog).activated(index);
    }

    test::TestContext t;
    Languages languages{t.dir.path(), ProgramIdentity{}};
    QStringList applied;
    test::LocalHttpServer m_server{&t.network};
    std::mutex m_mutex;
    std::string m_body;
};

TEST_F(LanguageDialogTest, OpensWithItsCaptionsAndTheFileLanguagesInOrder)
{
    t.writeFile("Localization.txt", kInstalled);
    auto dialog = open();

    EXPECT_EQ(dialog->objectName(), "frmLanguage");
    EXPECT_EQ(dialog->windowTitle(), "Change Language");
    EXPECT_EQ(text(*dialog, "Label1"), "Please select the language you would like to use:");
    EXPECT_EQ(text(*dialog, "Command2"), "OK");
    EXPECT_EQ(text(*dialog, "Command1"), "Check for language updates");
    EXPECT_EQ(text(*dialog, "Command3"), "Translate this program");
    EXPECT_TRUE(button(*dialog, "Command2").isDefault());
    EXPECT_FALSE(box(*dialog).isEditable());
    EXPECT_EQ(listed(*dialog), QStringList({"English", "Deutsch"}));
    EXPECT_EQ(shown(*dialog), "English"); // nothing stored yet: the default
    EXPECT_TRUE(applied.isEmpty());
}

TEST_F(LanguageDialogTest, ShowsTheStoredLanguageOrThePrompt)
{
    const struct {
        const char *stored;
        QByteArray file;
        QString shown;
    } cases[] = {
        {"Deutsch", kInstalled, "Deutsch"},
        {"deutsch", kInstalled, "Deutsch"},
        {"Klingon", kInstalled, "Choose Language Here"},
        {"English", QByteArray(), "Choose Language Here"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        QFile::remove(t.path("Localization.txt"));
        if (!c.file.isEmpty())
            t.writeFile("Localization.txt", c.file);
        t.userSettings.setValue(QStringLiteral("Settings"), QStringLiteral("Language"),
                                QString::fromLatin1(c.stored));
        auto dialog = open();
        EXPECT_EQ(shown(*dialog), c.shown);
        EXPECT_EQ(listed(*dialog).isEmpty(), c.file.isEmpty());
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(LanguageDialogTest, OpensInTheCurrentLanguage)
{
    t.writeFile("Localization.txt", kInstalled);
    languages.loadLanguage(QStringLiteral("Deutsch"));
    auto dialog = open();

    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Sprache wählen"));
    EXPECT_EQ(text(*dialog, "Command1"), "Nach neuen Sprachen suchen");
}

TEST_F(LanguageDialogTest, ChoosingALanguageStoresAndAppliesItAtOnce)
{
    t.writeFile("Localization.txt", kInstalled);
    auto dialog = open();

    choose(*dialog, QStringLiteral("Deutsch"));

    EXPECT_EQ(storedLanguage(), "Deutsch");
    EXPECT_EQ(languages.currentLanguage(), "Deutsch");
    EXPECT_EQ(applied, QStringList({"Deutsch"}));
    EXPECT_EQ(text(*dialog, "Label1"),
              QStringLiteral("Bitte wählen Sie die Sprache des Programms:"));
    EXPECT_EQ(text(*dialog, "Command1"), "Nach neuen Sprachen suchen");
    EXPECT_EQ(text(*dialog, "Command2"), "Fertig");
    EXPECT_EQ(text(*dialog, "Command3"), QStringLiteral("Dieses Programm übersetzen"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Sprache wählen"));
    EXPECT_EQ(shown(*dialog), "Deutsch");
    EXPECT_TRUE(dialog->isVisible()); // the choice does not close the dialog

    // The same choice again applies it again, quietly.
    choose(*dialog, QStringLiteral("Deutsch"));
    EXPECT_EQ(applied, QStringList({"Deutsch", "Deutsch"}));
    EXPECT_EQ(storedLanguage(), "Deutsch");
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(LanguageDialogTest, ADownloadedFileReplacesTheOldOneAndIsListedAtOnce)
{
    t.writeFile("Localization.txt", kInstalled);
    t.userSettings.setValue(QStringLiteral("Settings"), QStringLiteral("Language"),
                            QStringLiteral("Deutsch"));
    const QByteArray newest = languageFile(kEnglish + kGerman + kFrench);
    serve("\r\n\x01noise" + newest);
    auto dialog = open();

    QTest::mouseClick(&button(*dialog, "Command1"), Qt::LeftButton);

    EXPECT_EQ(t.readFile("Localization.txt"), newest + "\r\n");
    EXPECT_EQ(listed(*dialog), QStringList({"English", "Deutsch", QStringLiteral("Français")}));
    EXPECT_EQ(shown(*dialog), "Deutsch");
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(t.messages.shown[0].title, "Marlowin");
    EXPECT_EQ(t.messages.shown[0].text, "Language file downloaded.");
    EXPECT_EQ(t.messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(m_server.lastHeader("User-Agent"), "Mozilla");
    EXPECT_EQ(m_server.lastHeader("Cache-Control"), "no-cache");
}

TEST_F(LanguageDialogTest, AFailedCheckChangesNothingAndSaysNothing)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    t.writeFile("Localization.txt", kInstalled);
    serve("<html><body>Service unavailable</body></html>");

    for (const QString &folder : {m_server.url(QStringLiteral("/languages/")), refused}) {
        SCOPED_TRACE(folder.toStdString());
        auto dialog = open(folder);
        QTest::mouseClick(&button(*dialog, "Command1"), Qt::LeftButton);

        EXPECT_EQ(t.readFile("Localization.txt"), kInstalled);
        EXPECT_EQ(listed(*dialog), QStringList({"English", "Deutsch"}));
        EXPECT_TRUE(button(*dialog, "Command1").isEnabled());
        EXPECT_TRUE(dialog->isVisible());
    }
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// While the check waits for the site, the dialog can neither be used nor closed; afterwards it is
// whole again.
TEST_F(LanguageDialogTest, StaysOpenAndIdleWhileTheCheckWaits)
{
    t.writeFile("Localization.txt", kInstalled);
    auto dialog = open(m_server.url(QStringLiteral("/held/")));
    QStringList enabledWhileWaiting;
    bool visibleAfterCloseAttempts = false;
    QTimer::singleShot(0, dialog.get(), [&] {
        EXPECT_TRUE(test::waitUntil([&] { return m_server.heldRequests() == 1; }, kArrivesMs));
        for (const char *name : {"Combo1", "Command1", "Command2", "Command3"}) {
            if (dialog->findChild<QWidget *>(QString::fromLatin1(name))->isEnabled())
                enabledWhileWaiting << QString::fromLatin1(name);
        }
        dialog->close();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        dialog->reject();
        visibleAfterCloseAttempts = dialog->isVisible();
        m_server.openGate();
    });

    button(*dialog, "Command1")
        .click(); // no events run before the handler: the timer fires in its wait

    EXPECT_TRUE(enabledWhileWaiting.isEmpty()) << enabledWhileWaiting.join(", ").toStdString();
    EXPECT_TRUE(visibleAfterCloseAttempts);
    EXPECT_EQ(listed(*dialog), QStringList({"English", "Deutsch", QStringLiteral("Français")}));
    for (const char *name : {"Combo1", "Command1", "Command2", "Command3"})
        EXPECT_TRUE(dialog->findChild<QWidget *>(QString::fromLatin1(name))->isEnabled()) << name;
    EXPECT_EQ(t.messages.shown.size(), 1);

    // Idle again, it closes as usual.
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(LanguageDialogTest, TranslateOpensTheLanguageFileWhenThereIsOne)
{
    auto dialog = open();
    QTest::mouseClick(&button(*dialog, "Command3"), Qt::LeftButton);
    EXPECT_TRUE(t.shell.opened.isEmpty());

    t.writeFile("Localization.txt", kInstalled);
    QTest::mouseClick(&button(*dialog, "Command3"), Qt::LeftButton);
    EXPECT_EQ(t.shell.opened, QList<QUrl>({QUrl::fromLocalFile(t.path("Localization.txt"))}));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

// Opened from the Languages menu, the dialog is modeless and deletes itself when it closes.
TEST_F(LanguageDialogTest, OkClosesTheDialog)
{
    t.writeFile("Localization.txt", kInstalled);
    QPointer<LanguageDialog> dialog = open().release();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    choose(*dialog, QStringLiteral("Deutsch"));

    QTest::mouseClick(&button(*dialog, "Command2"), Qt::LeftButton);

    EXPECT_TRUE(test::waitUntil([&] { return dialog.isNull(); }));
    EXPECT_EQ(storedLanguage(), "Deutsch");
}

} // namespace
