#include "localization/Languages.h"

#include "FakeWindow.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

namespace {

// One language group of a language file, items given without their indentation.
QByteArray group(const QByteArray &code, const QByteArray &name, const QList<QByteArray> &items,
                 const QByteArray &eol = "\r\n")
{
    QByteArray text = "<LANGUAGE_GROUP xml:lang=\"" + code + "\">" + eol;
    text += "\t<LANGUAGE_NAME>" + name + "</LANGUAGE_NAME>" + eol;
    text += "\t<DESCRIPTION>About this group.</DESCRIPTION>" + eol;
    text += "\t<TRANSLATION_ITEMS>" + eol;
    for (const QByteArray &item : items)
        text += "\t\t" + item + eol;
    text += "\t</TRANSLATION_ITEMS>" + eol + "</LANGUAGE_GROUP>" + eol;
    return text;
}

QByteArray languageFile(const QByteArray &groups, const QByteArray &eol = "\r\n")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + eol + "<XML_DIZ_INFO>" + eol + groups
        + "</XML_DIZ_INFO>" + eol;
}

class LanguagesTest : public ::testing::Test {
protected:
    LanguagesTest()
        : service(context.dir.path(),
                  {QStringLiteral("Marlowin"), QStringLiteral("Acme"),
                   QStringLiteral("https://example.org")})
    {
        service.registerDefaultMessages();
    }

    void writeLanguageFile(const QByteArray &groups)
    {
        context.writeFile("Localization.txt", languageFile(groups));
    }

    // MainWindow with a label, a button and a check box.
    static FakeWindow mainWindow()
    {
        FakeWindow window(QStringLiteral("frmMain"));
        window.add(ControlKind::Label, QStringLiteral("lblName"), {QStringLiteral("Name")});
        window.add(ControlKind::CommandButton, QStringLiteral("cmdGo"), {QStringLiteral("Go")});
        window.add(ControlKind::CheckBox, QStringLiteral("chkAll"), {QStringLiteral("All")});
        window.setTitle(QStringLiteral("Marlowin"));
        return window;
    }

    test::TestContext context;
    Languages service;
};

TEST_F(LanguagesTest, ALabelKeyMatchesInAnyLetterCase)
{
    for (const QByteArray key : {"frmMain_lblName", "FRMMAIN_LBLNAME", "FrmMAIN_lblNAME"}) {
        SCOPED_TRACE(key.toStdString());
        writeLanguageFile(group("de", "Deutsch", {"<" + key + ">Vorname</" + key + ">"}));
        FakeWindow window = mainWindow();
        service.changeLanguage(window, QStringLiteral("deutsch"));
        EXPECT_EQ(window.all(), QStringList({"Vorname", "Go", "All", "Marlowin"}));
    }
}

TEST_F(LanguagesTest, EveryControlKindIsTranslatedUnderItsKey)
{
    writeLanguageFile(group(
        "de", "Deutsch",
        {"<frmMain_tabView_TABS1>Ansicht</frmMain_tabView_TABS1>",
         "<frmMain_tabView_TABS2>Liste</frmMain_tabView_TABS2>",
         "<frmMain_lstItems_COL2>Datum</frmMain_lstItems_COL2>",
         "<frmMain_optMode1>Zweiter</frmMain_optMode1>",
         "<frmMain_optLone>Allein</frmMain_optLone>", "<frmMain_mnuFile0>Datei</frmMain_mnuFile0>",
         "<frmMain_mnuRecent2>Zuletzt</frmMain_mnuRecent2>",
         "<frmMain_fraBox>Rahmen</frmMain_fraBox>", "<frmMain_sklHead>Kopf</frmMain_sklHead>",
         "<FRMMAIN_CAPTION>Hauptfenster</FRMMAIN_CAPTION>"}));
    FakeWindow window(QStringLiteral("frmMain"));
    window.add(ControlKind::TabStrip, QStringLiteral("tabView"), {"View", "List", "Other"});
    window.add(ControlKind::ListView, QStringLiteral("lstItems"), {"Title", "Date"});
    window.add(ControlKind::OptionButton, QStringLiteral("optMode"), {"First"}, 0);
    window.add(ControlKind::OptionButton, QStringLiteral("optMode"), {"Second"}, 1);
    window.add(ControlKind::OptionButton, QStringLiteral("optLone"), {"Lone"}); // no index: no key
    window.add(ControlKind::Menu, QStringLiteral("mnuFile"), {"File"});
    window.add(ControlKind::Menu, QStringLiteral("mnuRecent"), {"Recent"}, 2);
    window.add(ControlKind::Frame, QStringLiteral("fraBox"), {"Box"});
    window.add(ControlKind::SkinLabel, QStringLiteral("sklHead"), {"Head"});
    window.setTitle(QStringLiteral("Main"));

    service.changeLanguage(window, QStringLiteral("Deutsch"));

    EXPECT_EQ(window.all(),
              QStringList({"Ansicht", "Liste", "Other", "Title", "Datum", "First", "Zweiter",
                           "Lone", "Datei", "Zuletzt", "Rahmen", "Kopf", "Hauptfenster"}));
}

TEST_F(LanguagesTest, LookedUpTextsGetNamesAndAnUpperCaseFirstLetter)
{
    writeLanguageFile(
        group("fr", "Français",
              {"<frmMain_lblName>nom</frmMain_lblName>",
               "<frmMain_cmdGo>[programname] de [CompanyName], [Website]</frmMain_cmdGo>",
               "<MSG_DELETE3>continuer sur [Website] ?</MSG_DELETE3>"}));
    FakeWindow window = mainWindow();
    service.changeLanguage(window, QStringLiteral("français"));

    EXPECT_EQ(window.all(),
              QStringList({"Nom", "Marlowin de Acme, https://example.org", "All", "Marlowin"}));
    EXPECT_EQ(service.getMessages(QStringLiteral("msg_delete3")),
              "Continuer sur https://example.org ?");
    EXPECT_EQ(service.currentLanguage(), "français");

    // Messages replace the program and company names only; their first letter is raised too.
    service.setMessage(QStringLiteral("MSG_X"),
                       QStringLiteral("[ProgramName] by [companyname] at [Website]"));
    EXPECT_EQ(service.getMessages(QStringLiteral("MSG_X")), "Marlowin by Acme at [Website]");
    EXPECT_EQ(service.getMessages(QStringLiteral("MSG_MINIMIZED")), "Is minimized here!");
}

TEST_F(LanguagesTest, DefaultMessagesAreRegisteredInOrder)
{
    Languages fresh(context.dir.path(), {});
    fresh.registerDefaultMessages();
    EXPECT_EQ(fresh.getMessages(QStringLiteral("MSG_DELETE1")),
              "You are attempting to delete the ");
    EXPECT_EQ(fresh.getMessages(QStringLiteral("MSG_DELETE2")),
              " category. All feeds subscribed under this category will be deleted.");
    EXPECT_EQ(
        fresh.getMessages(QStringLiteral("MSG_TRAY")),
        "Double-click this icon to show application interface or Right-click for more options!\"");
    EXPECT_EQ(fresh.getMessages(QStringLiteral("CAPTION_FRMSENDEMAIL")), "Send Email");
    EXPECT_FALSE(fresh.getMessages(QStringLiteral("MSG_DOWNLOADED")).isEmpty());

    // The generated file lists them in registration order, which is the order above.
    const QString file = QString::fromUtf8(fresh.localizationFileBytes({}));
    const QStringList keys = {"MSG_DELETE1",
                              "MSG_DELETE2",
                              "MSG_DELETE3",
                              "MSG_DELETE4",
                              "MSG_DELETE5",
                              "MSG_BUSY",
                              "CAPTION_FRMADDFEED",
                              "CAPTION_FRMAPPSETTINGS",
                              "CAPTION_FRMCATEGORY",
                              "CAPTION_FRMCONFIRMCLOSE",
                              "CAPTION_FRMEMAILSETTINGS",
                              "MSG_TITLELANGUAGE",
                              "CAPTION_FRMSCHEDULER",
                              "CAPTION_FRMSENDEMAIL",
                              "MSG_MINIMIZED",
                              "MSG_TRAY",
                              "MSG_DOWNLOADED"};
    qsizetype pos = 0;
    for (const QString &key : keys) {
        const qsizetype at = file.indexOf("\t\t<" + key + ">", pos);
        ASSERT_GT(at, pos) << key.toStdString();
        pos = at;
    }
}

TEST_F(LanguagesTest, TheMessageTableHoldsTwoHundredAndOneMessages)
{
    Languages fresh(context.dir.path(), {});
    for (int i = 0; i < Languages::MessageSlots; ++i)
        fresh.setMessage(QStringLiteral("K%1").arg(i), QStringLiteral("t%1").arg(i));
    fresh.setMessage(QStringLiteral("EXTRA"), QStringLiteral("extra"));
    fresh.setMessage(QStringLiteral("K0"), QStringLiteral("again")); // the first registration wins

    EXPECT_EQ(fresh.getMessages(QStringLiteral("k200")), "T200");
    EXPECT_EQ(fresh.getMessages(QStringLiteral("EXTRA")), "");
    EXPECT_EQ(fresh.getMessages(QStringLiteral("K0")), "T0");
}

TEST_F(LanguagesTest, AMessageNeverRegisteredIsEmptyEvenWhenTheFileHasIt)
{
    writeLanguageFile(group("de", "Deutsch", {"<MSG_UNKNOWN>Unbekannt</MSG_UNKNOWN>"}));
    FakeWindow window = mainWindow();
    service.changeLanguage(window, QStringLiteral("Deutsch"));
    EXPECT_EQ(service.getCaption(QStringLiteral("MSG_UNKNOWN")), "Unbekannt");
    EXPECT_EQ(service.getMessages(QStringLiteral("MSG_UNKNOWN")), "");
}

TEST_F(LanguagesTest, ALanguageTheFileLacksKeepsThePreviousItems)
{
    writeLanguageFile(group("en", "English", {"<frmMain_lblName>Name:</frmMain_lblName>"})
                      + group("de", "Deutsch", {"<frmMain_lblName>Vorname</frmMain_lblName>"}));
    FakeWindow first = mainWindow();
    service.changeLanguage(first, QStringLiteral("Deutsch"));

    FakeWindow second = mainWindow();
    service.changeLanguage(second, QStringLiteral("Klingon"));
    EXPECT_EQ(second.all(), QStringList({"Vorname", "Go", "All", "Marlowin"}));
    EXPECT_EQ(service.currentLanguage(), "Klingon");

    // A missing file leaves them as well.
    ASSERT_TRUE(QFile::remove(context.path("Localization.txt")));
    FakeWindow third = mainWindow();
    service.changeLanguage(third, QStringLiteral("English"));
    EXPECT_EQ(third.all(), QStringList({"Vorname", "Go", "All", "Marlowin"}));
}

TEST_F(LanguagesTest, EnglishIsTheFallbackWhenNoLanguageWasEverFound)
{
    writeLanguageFile(group("en", "English", {"<frmMain_lblName>Name:</frmMain_lblName>"})
                      + group("xx", "Empty", {}));
    FakeWindow window = mainWindow();
    service.changeLanguage(window, QStringLiteral("Klingon"));
    EXPECT_EQ(window.all(), QStringList({"Name:", "Go", "All", "Marlowin"}));
    EXPECT_EQ(service.currentLanguage(), "English");

    // A group whose items are a single line also falls back.
    context.writeFile("Localization.txt",
                      languageFile(group("en", "English", {"<frmMain_cmdGo>Start</frmMain_cmdGo>"})
                                   + "<LANGUAGE_GROUP><LANGUAGE_NAME>One</LANGUAGE_NAME>"
                                     "<TRANSLATION_ITEMS><frmMain_lblName>X</frmMain_lblName>"
                                     "</TRANSLATION_ITEMS></LANGUAGE_GROUP>\r\n"));
    service.changeLanguage(window, QStringLiteral("One"));
    EXPECT_EQ(window.all(), QStringList({"Name:", "Start", "All", "Marlowin"}));
}

TEST_F(LanguagesTest, AMessageTranslationStaysUntilAnotherLanguageTranslatesIt)
{
    writeLanguageFile(group("de", "Deutsch", {"<MSG_DELETE3>Weiter?</MSG_DELETE3>"})
                      + group("nl", "Nederlands", {"<MSG_DELETE4>Verwijder </MSG_DELETE4>"}));
    FakeWindow window = mainWindow();
    service.changeLanguage(window, QStringLiteral("Deutsch"));
    service.changeLanguage(window, QStringLiteral("Nederlands"));
    EXPECT_EQ(service.getMessages(QStringLiteral("MSG_DELETE3")), "Weiter?");
    EXPECT_EQ(service.getMessages(QStringLiteral("MSG_DELETE4")), "Verwijder ");
    EXPECT_EQ(service.getMessages(QStringLiteral("MSG_DELETE5")),
              "Are you sure you want to delete the selected item?");
}

TEST_F(LanguagesTest, MalformedItemLinesGiveNoText)
{
    writeLanguageFile(
        group("de", "Deutsch",
              {"<frmMain_lblName>ohne Ende", "<frmMain_cmdGo>Los</frmMain_lblName>",
               "x\r\n<a>kurz</a>", "frmMain_chkAll", "<frmMain_chkAll><b>Alle</b></frmMain_chkAll>",
               "<FRMMAIN_CAPTION></FRMMAIN_CAPTION>"}));
    FakeWindow window = mainWindow();
    service.changeLanguage(window, QStringLiteral("Deutsch"));
    // Other "<" and ">" are part of the text; an empty translation keeps the caption; an item
    // line whose opening tag, indentation included, is two characters or fewer is no item.
    EXPECT_EQ(window.all(), QStringList({"Name", "Go", "<b>Alle</b>", "Marlowin"}));
    EXPECT_EQ(service.getCaption(QStringLiteral("a")), "");
}

TEST_F(LanguagesTest, LineFeedOnlyFilesAndUtf8TextAreRead)
{
    context.writeFile(
        "Localization.txt",
        languageFile(group("ru", "Русский", {"<frmMain_lblName>имя</frmMain_lblName>"}, "\n"),
                     "\n"));
    FakeWindow window = mainWindow();
    service.changeLanguage(window, QStringLiteral("русский"));
    EXPECT_EQ(window.all(), QStringList({"Имя", "Go", "All", "Marlowin"}));
}

TEST_F(LanguagesTest, AGeneratedFileIsExactAndChangesNoCaption)
{
    Languages fresh(context.dir.path(), {});
    fresh.setMessage(QStringLiteral("msg_hello"), QStringLiteral("Hello, [ProgramName] <3"));
    FakeWindow window(QStringLiteral("frmTiny"));
    window.add(ControlKind::Label, QStringLiteral("lblA"), {"Caption A"});
    window.add(ControlKind::ListView, QStringLiteral("lstB"), {"Col 1", "Col 2"});
    window.add(ControlKind::Menu, QStringLiteral("mnuC"), {"&File"});
    window.setTitle(QStringLiteral("Tiny – window"));

    ASSERT_TRUE(fresh.makeLocalizationFile(collectCaptions(window)));
    const QByteArray expected
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
          "<XML_DIZ_INFO>\r\n"
          "\t<LOCALIZATION_FILE_INFO>\r\n"
          "\t\t<LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>\r\n"
          "\t</LOCALIZATION_FILE_INFO>\r\n"
          "<LANGUAGE_GROUP xml:lang=\"en\">\r\n"
          "\t<LANGUAGE_NAME>English</LANGUAGE_NAME>\r\n"
          "\t<DESCRIPTION>This file contains various translations of program buttons, messages and "
          "menus "
          "in XML format. You are welcome to correct a translation or to add a language of your "
          "own: copy "
          "the English group, translate its items and send the file to us so that every user can "
          "share "
          "it. Before you start, fetch the newest file with the 'Check for Language Updates' "
          "button.</DESCRIPTION>\r\n"
          "\t<TRANSLATION_ITEMS>\r\n"
          "\t\t<FRMTINY_LBLA>Caption A</FRMTINY_LBLA>\r\n"
          "\t\t<FRMTINY_LSTB_COL1>Col 1</FRMTINY_LSTB_COL1>\r\n"
          "\t\t<FRMTINY_LSTB_COL2>Col 2</FRMTINY_LSTB_COL2>\r\n"
          "\t\t<FRMTINY_MNUC0>&File</FRMTINY_MNUC0>\r\n"
          "\t\t<FRMTINY_CAPTION>Tiny \xE2\x80\x93 window</FRMTINY_CAPTION>\r\n"
          "\t\t<MSG_HELLO>Hello, [ProgramName] <3</MSG_HELLO>\r\n"
          "\t</TRANSLATION_ITEMS>\r\n"
          "</LANGUAGE_GROUP>\r\n"
          "</XML_DIZ_INFO>\r\n";
    EXPECT_EQ(context.readFile("Localization.txt"), expected);

    const QStringList before = window.all();
    service.changeLanguage(window, QStringLiteral("English"));
    EXPECT_EQ(window.all(), before);
}

TEST_F(LanguagesTest, AGeneratedFileReplacesTheOldOne)
{
    writeLanguageFile(group("de", "Deutsch", {"<frmMain_lblName>Vorname</frmMain_lblName>"}));
    FakeWindow window = mainWindow();
    ASSERT_TRUE(service.makeLocalizationFile(collectCaptions(window)));
    const QByteArray file = context.readFile("Localization.txt");
    EXPECT_FALSE(file.contains("Deutsch"));
    EXPECT_EQ(file.count("<LANGUAGE_GROUP"), 1);

    service.changeLanguage(window, QStringLiteral("English"));
    EXPECT_EQ(window.all(), QStringList({"Name", "Go", "All", "Marlowin"}));
}

TEST(LanguageFilePaths, TrimAndExistence)
{
    EXPECT_EQ(Languages::langTrimPath(""), "");
    EXPECT_EQ(Languages::langTrimPath("/home/u/Localization.txt"), "Localization.txt");
    EXPECT_EQ(Languages::langTrimPath("C:\\a\\b.txt"), "b.txt");
    EXPECT_EQ(Languages::langTrimPath("name"), "name");
    EXPECT_EQ(Languages::langTrimPath("folder/"), "");

    test::TestContext context;
    context.writeFile(".hidden", "x");
    EXPECT_TRUE(Languages::langFileExists(context.path(".hidden")));
    EXPECT_FALSE(Languages::langFileExists(context.path("missing.txt")));
    EXPECT_FALSE(Languages::langFileExists(context.dir.path()));
    EXPECT_FALSE(Languages::langFileExists(""));
    EXPECT_TRUE(Languages::listLanguages().isEmpty());
}

} // namespace
