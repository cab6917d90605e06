#include "settings/AppSettingsDialog.h"

#include "localization/Languages.h"
#include "settings/DesktopEntry.h"
#include "settings/Settings.h"
#include "support/TestContext.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using platform::MessageIcon;

namespace {

const QString kExecutable = QStringLiteral("/usr/lib/marlowin/marlowin");
const QString kDone
    = QStringLiteral("Application Settings successfully saved to Application Configuration File.");
const QByteArray kForeignEntry = "[Desktop Entry]\nType=Application\nExec=/usr/bin/other-reader\n";
const QByteArray kOurEntry = "[Desktop Entry]\nType=Application\nExec=/usr/bin/MARLOWIN\n";

struct AppValues {
    bool autos, close, mins;
    bool operator==(const AppValues &) const = default;
};

void PrintTo(const AppValues &v, std::ostream *out)
{
    *out << "{autos " << v.autos << ", close " << v.close << ", mins " << v.mins << '}';
}

void putFile(const QString &path, const QByteArray &bytes)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class AppSettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(autostartDir.isValid());
        languages.registerDefaultMessages();
    }

    // Opens the dialog as the main window does, shown instead of exec()ed.
    std::unique_ptr<AppSettingsDialog> open()
    {
        auto dialog = std::make_unique<AppSettingsDialog>(t.ctx, languages, locations, kExecutable);
        dialog->prepare();
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    static QRadioButton *option(QWidget &dialog, int index)
    {
        for (QRadioButton *button :
             dialog.findChildren<QRadioButton *>(QStringLiteral("optClose"))) {
            if (button->property("controlIndex").toInt() == index)
                return button;
        }
        ADD_FAILURE() << "no optClose(" << index << ")";
        return nullptr;
    }
    static QCheckBox *startup(QWidget &dialog)
    {
        return dialog.findChild<QCheckBox *>(QStringLiteral("chkStartup"));
    }
    static QString stateText(QWidget &dialog)
    {
        return dialog.findChild<QLabel *>(QStringLiteral("lblRunAtStart"))->text();
    }
    // On the indicator: the rest of a box's row, right of its text, takes no clicks.
    static void tick(QAbstractButton *box)
    {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    static void click(QWidget &dialog, const char *buttonName)
    {
        QTest::mouseClick(dialog.findChild<QPushButton *>(QString::fromLatin1(buttonName)),
                          Qt::LeftButton);
    }

    AppValues stored() const
    {
        const Settings::Closing closing = Settings::loadClosing(t.ctx);
        return {closing.startWithDesktop, closing.closeCompletely, closing.minimizeToTray};
    }

    test::TestContext t;
    Languages languages{t.ctx.appFolder, ProgramIdentity{}};
    QTemporaryDir autostartDir;
    Autostart::Locations locations{{autostartDir.filePath("etc/autostart/marlowin.desktop")},
                                   autostartDir.filePath("home/autostart/marlowin.desktop")};
};

TEST_F(AppSettingsDialogTest, WithoutConfigurationShowsTheDefaults)
{
    auto dialog = open();

    EXPECT_EQ(dialog->objectName(), "frmAppSettings");
    EXPECT_EQ(dialog->windowTitle(), "Application Settings");
    EXPECT_EQ(dialog->findChild<QLabel *>("lblStartup")->text(), "Application Startup:");
    EXPECT_EQ(dialog->findChild<QLabel *>("lblClosing")->text(), "Application Closing:");
    EXPECT_EQ(startup(*dialog)->text(), "Start Application on Windows Startup.");
    EXPECT_EQ(option(*dialog, 0)->text(), "Close Completely.");
    EXPECT_EQ(option(*dialog, 1)->text(), "Minimize to System Tray.");
    EXPECT_EQ(dialog->findChild<QPushButton *>("btnOK")->text(), "OK");
    EXPECT_EQ(dialog->findChild<QPushButton *>("btnCancel")->text(), "Cancel");

    EXPECT_FALSE(startup(*dialog)->isChecked());
    EXPECT_FALSE(option(*dialog, 0)->isChecked());
    EXPECT_TRUE(option(*dialog, 1)->isChecked());
    EXPECT_EQ(stateText(*dialog), "(Disabled - Run Manually)");
}

TEST_F(AppSettingsDialogTest, CloseCompletelyIsStoredAndShownAgain)
{
    auto dialog = open();
    tick(option(*dialog, 0));
    EXPECT_FALSE(option(*dialog, 1)->isChecked()) << "one exclusive group";
    click(*dialog, "btnOK");

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown.at(0).icon, MessageIcon::Information);
    EXPECT_EQ(t.messages.shown.at(0).title, "Done!");
    EXPECT_EQ(t.messages.shown.at(0).text, kDone);
    EXPECT_EQ(stored(), (AppValues{false, true, false}));

    auto again = open();
    EXPECT_TRUE(option(*again, 0)->isChecked());
    EXPECT_FALSE(option(*again, 1)->isChecked());
}

TEST_F(AppSettingsDialogTest, ShowsTheAutostartEntryFoundOnDisk)
{
    putFile(locations.thisUser, kOurEntry);
    EXPECT_EQ(stateText(*open()), "(Enabled - This User)");

    putFile(locations.allUsers.at(0), kOurEntry);
    EXPECT_EQ(stateText(*open()), "(Enabled - All Users)");
}

TEST_F(AppSettingsDialogTest, StartupBoxWritesAndRemovesTheUserEntry)
{
    auto dialog = open();
    tick(startup(*dialog));
    click(*dialog, "btnOK");

    EXPECT_EQ(stored(), (AppValues{true, false, true}));
    const auto entry = DesktopEntry::readMainGroup(locations.thisUser);
    ASSERT_TRUE(entry) << "entry written";
    EXPECT_EQ(DesktopEntry::execArguments(entry->value("Exec")),
              (QStringList{kExecutable, QStringLiteral("-s")}));
    EXPECT_EQ(stateText(*dialog), "(Enabled - This User)");

    auto again = open();
    EXPECT_TRUE(startup(*again)->isChecked());
    EXPECT_EQ(stateText(*again), "(Enabled - This User)");
    tick(startup(*again));
    click(*again, "btnOK");

    EXPECT_EQ(stored(), (AppValues{false, false, true}));
    EXPECT_FALSE(QFileInfo::exists(locations.thisUser));
    EXPECT_EQ(stateText(*again), "(Disabled - Run Manually)");
    EXPECT_EQ(t.messages.shown.size(), 2) << "only the two confirmations";
}

TEST_F(AppSettingsDialogTest, ClearedBoxLeavesSomeoneElsesEntryAlone)
{
    putFile(locations.thisUser, kForeignEntry);
    auto dialog = open();
    click(*dialog, "btnOK");

    EXPECT_EQ(fileBytes(locations.thisUser), kForeignEntry);
    ASSERT_EQ(t.messages.shown.size(), 1);
    EXPECT_EQ(t.messages.shown.at(0).title, "Done!");
}

TEST_F(AppSettingsDialogTest, EntryThatCannotBeWrittenIsReported)
{
    putFile(autostartDir.filePath("blocker"), "a file where the folder belongs");
    locations.thisUser = autostartDir.filePath("blocker/autostart/marlowin.desktop");
    auto dialog = open();
    tick(startup(*dialog));
    click(*dialog, "btnOK");

    ASSERT_EQ(t.messages.shown.size(), 2);
    EXPECT_EQ(t.messages.shown.at(0).text, kDone);
    const auto &warning = t.messages.shown.at(1);
    EXPECT_EQ(warning.icon, MessageIcon::Warning);
    EXPECT_EQ(warning.title, "Application Settings");
    EXPECT_TRUE(warning.text.contains("could not be written")) << warning.text.toStdString();
    EXPECT_TRUE(warning.text.contains(locations.thisUser)) << warning.text.toStdString();
    EXPECT_EQ(stateText(*dialog), "(Disabled - Run Manually)");
    EXPECT_EQ(stored().autos, 1);
}

TEST_F(AppSettingsDialogTest, CancelAndEscapeSaveNothing)
{
    for (const bool escape : {false, true}) {
        auto dialog = open();
        tick(startup(*dialog));
        tick(option(*dialog, 0));
        if (escape)
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
        else
            click(*dialog, "btnCancel");

        EXPECT_EQ(dialog->result(), QDialog::Rejected) << "escape " << escape;
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_FALSE(QFileInfo::exists(t.path("AppCfg.cfg")));
    EXPECT_FALSE(QFileInfo::exists(locations.thisUser));
    EXPECT_TRUE(t.messages.shown.isEmpty());
}

TEST_F(AppSettingsDialogTest, CaptionsFollowTheCurrentLanguage)
{
    t.writeFile(
        "Localization.txt",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<XML_DIZ_INFO>\r\n"
        "<LANGUAGE_GROUP xml:lang=\"de\">\r\n"
        "\t<LANGUAGE_NAME>Deutsch</LANGUAGE_NAME>\r\n\t<TRANSLATION_ITEMS>\r\n"
        "\t\t<frmAppSettings_lblStartup>Programmstart:</frmAppSettings_lblStartup>\r\n"
        "\t\t<FRMAPPSETTINGS_CHKSTARTUP>Mit der Sitzung starten.</FRMAPPSETTINGS_CHKSTARTUP>\r\n"
        "\t\t<frmAppSettings_optClose0>Ganz beenden.</frmAppSettings_optClose0>\r\n"
        "\t\t<frmAppSettings_optClose1>In den Infobereich.</frmAppSettings_optClose1>\r\n"
        "\t\t<frmAppSettings_lblRunAtStart>(Aus)</frmAppSettings_lblRunAtStart>\r\n"
        "\t\t<frmAppSettings_btnOK>Jawohl</frmAppSettings_btnOK>\r\n"
        "\t\t<CAPTION_FRMAPPSETTINGS>Programmeinstellungen</CAPTION_FRMAPPSETTINGS>\r\n"
        "\t</TRANSLATION_ITEMS>\r\n</LANGUAGE_GROUP>\r\n</XML_DIZ_INFO>\r\n");
    languages.setCurrentLanguage(QStringLiteral("Deutsch"));
    auto dialog = open();

    EXPECT_EQ(dialog->windowTitle(), "Programmeinstellungen");
    EXPECT_EQ(dialog->findChild<QLabel *>("lblStartup")->text(), "Programmstart:");
    EXPECT_EQ(startup(*dialog)->text(), "Mit der Sitzung starten.");
    EXPECT_EQ(option(*dialog, 0)->text(), "Ganz beenden.");
    EXPECT_EQ(option(*dialog, 1)->text(), "In den Infobereich.");
    EXPECT_EQ(stateText(*dialog), "(Disabled - Run Manually)") << "the detected state";
    EXPECT_EQ(dialog->findChild<QPushButton *>("btnOK")->text(), "OK");
}

} // namespace
