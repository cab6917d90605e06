#include "localization/QtTranslatableWindow.h"
#include "localization/Languages.h"

#include "support/TestContext.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QByteArray group(const QByteArray &code, const QByteArray &name, const QList<QByteArray> &items)
{
    QByteArray text = "<LANGUAGE_GROUP xml:lang=\"" + code + "\">\r\n";
    text += "\t<LANGUAGE_NAME>" + name + "</LANGUAGE_NAME>\r\n";
    text += "\t<DESCRIPTION>About this group.</DESCRIPTION>\r\n\t<TRANSLATION_ITEMS>\r\n";
    for (const QByteArray &item : items)
        text += "\t\t" + item + "\r\n";
    return text + "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n";
}

// "<key>text</key>" for each pair.
QList<QByteArray> items(const QList<std::pair<QByteArray, QByteArray>> &pairs)
{
    QList<QByteArray> items;
    for (const auto &[key, text] : pairs)
        items.append("<" + key + ">" + text + "</" + key + ">");
    return items;
}

// Both languages translate every caption a user sees, and also name the controls that must keep
// their text: the skinned OK button, a text field, a drop-down list and a nested dialog's label.
QByteArray languageFile()
{
    const QByteArray german = group("de", "Deutsch",
                                    items({{"frmMain_lblName", "Name:"},
                                           {"frmMain_cmdGo", "Los"},
                                           {"frmMain_fraMode", "Modus"},
                                           {"frmMain_chkAll", "alle"},
                                           {"frmMain_optClose0", "Beenden"},
                                           {"frmMain_optClose1", "Verkleinern"},
                                           {"frmMain_tabView_TABS1", "Artikel"},
                                           {"frmMain_tabView_TABS2", "Verlauf"},
                                           {"frmMain_lstItems_COL1", "Titel"},
                                           {"frmMain_lstItems_COL2", "Datum"},
                                           {"frmMain_lstItems_COL3", "Quelle"},
                                           {"frmMain_mnuFile0", "Datei"},
                                           {"frmMain_mnuExit0", "Schließen"},
                                           {"frmMain_mnuRecent1", "Zuletzt"},
                                           {"frmMain_btnOK", "Jawohl"},
                                           {"frmMain_txtUrl", "Adresse"},
                                           {"frmMain_cboCategory", "Kategorie"},
                                           {"frmMain_lblInner", "Innen"},
                                           {"FRMMAIN_CAPTION", "[ProgramName] Hauptfenster"}}));
    const QByteArray french = group("fr", "Français",
                                    items({{"FRMMAIN_LBLNAME", "Nom :"},
                                           {"frmMain_cmdGo", "Aller"},
                                           {"frmMain_fraMode", "Mode"},
                                           {"frmMain_chkAll", "Tous"},
                                           {"frmMain_optClose0", "Quitter"},
                                           {"frmMain_optClose1", "Réduire"},
                                           {"frmMain_tabView_TABS1", "Articles"},
                                           {"frmMain_tabView_TABS2", "Historique"},
                                           {"frmMain_lstItems_COL1", "Titre"},
                                           {"frmMain_lstItems_COL2", "Date"},
                                           {"frmMain_lstItems_COL3", "Source"},
                                           {"frmMain_mnuFile0", "Fichier"},
                                           {"frmMain_mnuExit0", "Fermer"},
                                           {"frmMain_mnuRecent1", "Récents"},
                                           {"frmMain_btnOK", "D'accord"},
                                           {"frmMain_lblInner", "Dedans"},
                                           {"FRMMAIN_CAPTION", "Fenêtre principale"}}));
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n" + german + french
        + "</XML_DIZ_INFO>\r\n";
}

template<typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A main window with one control of every translated kind, controls that are never translated
// and a child dialog whose label belongs to the dialog, not to this window.
class TestWindow {
public:
    TestWindow()
    {
        window.setObjectName(QStringLiteral("frmMain"));
        window.setWindowTitle(QStringLiteral("Marlowin"));
        auto *central = new QWidget(&window);
        window.setCentralWidget(central);
        auto *layout = new QVBoxLayout(central);

        label = named(new QLabel(QStringLiteral("Name"), central), "lblName");
        button = named(new QPushButton(QStringLiteral("Go"), central), "cmdGo");
        frame = named(new QGroupBox(QStringLiteral("Mode"), central), "fraMode");
        check = named(new QCheckBox(QStringLiteral("All"), frame), "chkAll");
        for (int i = 0; i < 2; ++i) {
            radios[i]
                = named(new QRadioButton(
                            i == 0 ? QStringLiteral("Close") : QStringLiteral("Minimize"), frame),
                        "optClose");
            radios[i]->setProperty("controlIndex", i);
        }
        tabs = named(new QTabWidget(central), "tabView");
        tabs->addTab(new QWidget, QStringLiteral("Items"));
        tabs->addTab(new QWidget, QStringLiteral("History"));
        list = named(new QTreeWidget(central), "lstItems");
        list->setHeaderLabels(
            {QStringLiteral("Title"), QStringLiteral("Date"), QStringLiteral("Feed")});

        url = named(new QLineEdit(QStringLiteral("https://example.org/feed"), central), "txtUrl");
        category = named(new QComboBox(central), "cboCategory");
        category->addItem(QStringLiteral("News"));
        ok = named(new QPushButton(QStringLiteral("OK"), central), "btnOK");
        ok->setProperty("untranslated", true);
        unnamed = new QLabel(QStringLiteral("Unnamed"), central);
        for (QWidget *widget : std::initializer_list<QWidget *>{label, button, frame, tabs, list,
                                                                url, category, ok, unnamed})
            layout->addWidget(widget);

        fileMenu = named(window.menuBar()->addMenu(QStringLiteral("File")), "mnuFile");
        exit = named(fileMenu->addAction(QStringLiteral("Exit")), "mnuExit");
        recent = named(fileMenu->addAction(QStringLiteral("Recent")), "mnuRecent");
        recent->setProperty("controlIndex", 1);

        dialog = named(new QDialog(&window), "frmAbout");
        inner = named(new QLabel(QStringLiteral("Inside"), dialog), "lblInner");
    }

    // What the user sees, in a fixed order: captions, tabs, columns, menu, then the title.
    QStringList captions() const
    {
        return {label->text(),
                button->text(),
                frame->title(),
                check->text(),
                radios[0]->text(),
                radios[1]->text(),
                tabs->tabText(0),
                tabs->tabText(1),
                list->headerItem()->text(0),
                list->headerItem()->text(1),
                list->headerItem()->text(2),
                fileMenu->title(),
                exit->text(),
                recent->text(),
                window.windowTitle()};
    }

    // The controls that must keep their own text in every language.
    QStringList untouched() const
    {
        return {url->text(), category->currentText(), ok->text(), unnamed->text(), inner->text()};
    }

    QMainWindow window;
    QLabel *label = nullptr;
    QPushButton *button = nullptr;
    QGroupBox *frame = nullptr;
    QCheckBox *check = nullptr;
    QRadioButton *radios[2] = {};
    QTabWidget *tabs = nullptr;
    QTreeWidget *list = nullptr;
    QLineEdit *url = nullptr;
    QComboBox *category = nullptr;
    QPushButton *ok = nullptr;
    QLabel *unnamed = nullptr;
    QMenu *fileMenu = nullptr;
    QAction *exit = nullptr;
    QAction *recent = nullptr;
    QDialog *dialog = nullptr;
    QLabel *inner = nullptr;
};

class QtWindowTranslation : public ::testing::Test {
protected:
    QtWindowTranslation()
        : service(context.dir.path(), {QStringLiteral("Marlowin"), {}, {}})
    {
        context.writeFile(QStringLiteral("Localization.txt"), languageFile());
    }

    const QStringList originalUntouched{QStringLiteral("https://example.org/feed"),
                                        QStringLiteral("News"), QStringLiteral("OK"),
                                        QStringLiteral("Unnamed"), QStringLiteral("Inside")};
    test::TestContext context;
    Languages service;
    TestWindow ui;
    QtTranslatableWindow translatable{ui.window};
};

TEST_F(QtWindowTranslation, EveryVisibleCaptionFollowsTheChosenLanguage)
{
    service.changeLanguage(translatable, QStringLiteral("Deutsch"));
    EXPECT_EQ(ui.captions(),
              QStringList({"Name:", "Los", "Modus", "Alle", "Beenden", "Verkleinern", "Artikel",
                           "Verlauf", "Titel", "Datum", "Quelle", "Datei",
                           QString::fromUtf8("Schließen"), "Zuletzt", "Marlowin Hauptfenster"}));
    EXPECT_EQ(ui.untouched(), originalUntouched);

    service.changeLanguage(translatable, QString::fromUtf8("Français"));
    EXPECT_EQ(
        ui.captions(),
        QStringList({"Nom :", "Aller", "Mode", "Tous", "Quitter", QString::fromUtf8("Réduire"),
                     "Articles", "Historique", "Titre", "Date", "Source", "Fichier", "Fermer",
                     QString::fromUtf8("Récents"), QString::fromUtf8("Fenêtre principale")}));
    EXPECT_EQ(ui.untouched(), originalUntouched);
}

TEST_F(QtWindowTranslation, CollectedCaptionsListTheWindowsKeysInOrder)
{
    QStringList keys;
    QStringList texts;
    for (const CaptionItem &item : collectCaptions(translatable)) {
        keys << item.key;
        texts << item.text;
    }
    EXPECT_EQ(keys,
              QStringList({"FRMMAIN_LBLNAME", "FRMMAIN_CMDGO", "FRMMAIN_FRAMODE", "FRMMAIN_CHKALL",
                           "FRMMAIN_OPTCLOSE0", "FRMMAIN_OPTCLOSE1", "FRMMAIN_TABVIEW_TABS1",
                           "FRMMAIN_TABVIEW_TABS2", "FRMMAIN_LSTITEMS_COL1",
                           "FRMMAIN_LSTITEMS_COL2", "FRMMAIN_LSTITEMS_COL3", "FRMMAIN_MNUFILE0",
                           "FRMMAIN_MNUEXIT0", "FRMMAIN_MNURECENT1", "FRMMAIN_CAPTION"}));
    EXPECT_EQ(texts, ui.captions());
}

TEST_F(QtWindowTranslation, ControlsAddedAfterAWalkAreFoundByTheNextOne)
{
    const qsizetype before = translatable.controls().size();
    auto *late = named(new QLabel(QStringLiteral("Late"), ui.window.centralWidget()), "lblLate");
    const QList<TranslatableControl> after = translatable.controls();
    ASSERT_EQ(after.size(), before + 1);
    const auto found
        = std::find_if(after.begin(), after.end(), [](const TranslatableControl &control) {
              return control.name == QStringLiteral("lblLate");
          });
    ASSERT_NE(found, after.end());
    translatable.setCaption(int(found - after.begin()), 0, QStringLiteral("Later"));
    EXPECT_EQ(late->text(), QStringLiteral("Later"));
}

} // namespace

namespace {

// Indexed frames get a key each, toolbar buttons count as command buttons (Qt's own tool buttons
// do not), and a report list's spare hidden columns have no captions.
TEST(QtWindowTranslationKinds, IndexedFramesToolbarButtonsAndSpareColumns)
{
    QMainWindow window;
    window.setObjectName(QStringLiteral("frmScheduler"));
    auto *central = new QWidget(&window);
    window.setCentralWidget(central);
    for (int i = 0; i < 2; ++i) {
        auto *frame
            = named(new QGroupBox(QStringLiteral("Step %1").arg(i + 2), central), "fmContainer");
        frame->setProperty("controlIndex", i);
    }
    auto *toolbar = window.addToolBar(QStringLiteral("Tools"));
    auto *button = named(new QToolButton(toolbar), "cmdAdd");
    button->setText(QStringLiteral("Add"));
    toolbar->addWidget(button);
    auto *list = named(new QTreeWidget(central), "lstSources");
    list->setHeaderLabels({QStringLiteral("Feed Source"), QString(), QString()});
    list->setColumnHidden(1, true);
    list->setColumnHidden(2, true);
    auto *tabs = named(new QTabWidget(central), "tabView"); // its scroll buttons are Qt's
    tabs->addTab(new QWidget, QStringLiteral("One"));

    QStringList keys;
    for (const CaptionItem &item : collectCaptions(QtTranslatableWindow(window)))
        keys << item.key + u'=' + item.text;
    EXPECT_EQ(keys,
              (QStringList{QStringLiteral("FRMSCHEDULER_FMCONTAINER0=Step 2"),
                           QStringLiteral("FRMSCHEDULER_FMCONTAINER1=Step 3"),
                           QStringLiteral("FRMSCHEDULER_LSTSOURCES_COL1=Feed Source"),
                           QStringLiteral("FRMSCHEDULER_TABVIEW_TABS1=One"),
                           QStringLiteral("FRMSCHEDULER_CMDADD=Add"),
                           QStringLiteral("FRMSCHEDULER_CAPTION=")}));
}

} // namespace
