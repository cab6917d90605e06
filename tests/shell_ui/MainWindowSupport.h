#pragma once

#include "localization/Languages.h"
#include "platform/TrayIcon.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "shell/MainWindow.h"
#include "shell/ProgramDialogs.h"
#include "shell/ProgramInfo.h"
#include "support/TestContext.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace test {

// Acts on the next modal dialog as soon as it is shown (the caller then runs the code that
// opens it and waits in its exec()).
inline void whenModalShows(std::function<void(QDialog &)> act, int afterMs = 0)
{
    QTimer::singleShot(afterMs, [act = std::move(act)]() mutable {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            act(*dialog);
            return;
        }
        whenModalShows(std::move(act), 10);
    });
}

// Records which dialog the main window opened and with what.
class RecordingDialogs final : public ProgramDialogs {
public:
    void showCategory(QWidget *, bool editing, const QString &name) override
    {
        calls << QStringLiteral("category %1 '%2'").arg(int(editing)).arg(name);
    }
    void showAddFeed(QWidget *, bool editing, const QString &id, const QString &category,
                     const QString &channel, const QString &url) override
    {
        calls << QStringLiteral("feed %1 '%2' '%3' '%4' '%5'")
                     .arg(int(editing))
                     .arg(id, category, channel, url);
    }
    void showEmailSettings(QWidget *) override { calls << QStringLiteral("email settings"); }
    void showScheduler(QWidget *) override { calls << QStringLiteral("scheduler"); }
    void showAppSettings(QWidget *) override { calls << QStringLiteral("app settings"); }
    void showLanguage(QWidget *, bool modal) override
    {
        calls << QStringLiteral("language %1").arg(modal ? "modal" : "modeless");
    }
    void showSendEmail(QWidget *, const ItemMail &mail) override
    {
        calls << QStringLiteral("send '%1'").arg(mail.feedTitle);
    }
    QStringList calls;
};

class RecordingAnnouncement final : public NewItemsAnnouncement {
public:
    void announce(const PopupProperties &, const QStringList &newRows) override { rows += newRows; }
    QStringList rows;
};

// Records what the main window does with its tray icon.
class FakeTray final : public platform::TrayIcon {
public:
    explicit FakeTray(bool isAvailable)
        : available(isAvailable)
    {
    }
    bool isAvailable() const override { return available; }
    void setToolTip(const QString &text) override { toolTip = text; }
    void setIcon(const QIcon &) override { }
    void setContextMenu(QMenu *contextMenu) override { menu = contextMenu; }
    void show() override { shown = true; }
    void hide() override { shown = false; }
    void showMessage(const QString &title, const QString &text, int ms) override
    {
        balloons << QStringLiteral("%1|%2|%3").arg(title, text).arg(ms);
    }
    bool available;
    bool shown = false;
    QString toolTip;
    QMenu *menu = nullptr;
    QStringList balloons;
};

// A main window over a temporary app folder, past its first run unless a test says otherwise.
class MainWindowTest : public ::testing::Test {
protected:
    static constexpr const char *kDatabase
        = "<?xml version=\"1.0\"?>\r\n<categories>"
          "<category name=\"News\">"
          "<feed name=\"World\" type=\"0\" "
          "id=\"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9\">http://127.0.0.1:9/world</feed>"
          "</category>"
          "<category name=\"Tech\">"
          "<feed name=\"Talk\" type=\"2\" "
          "id=\"AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE\">http://127.0.0.1:9/talk</feed>"
          "</category></categories>\r\n";

    void SetUp() override
    {
        t.userSettings.setValue(QStringLiteral("Settings"), QStringLiteral("Language"),
                                QStringLiteral("English"));
        t.userSettings.setValue(QStringLiteral("Settings"), QStringLiteral("showHelp"),
                                QStringLiteral("0"));
        t.writeFile(QStringLiteral("feeds.fdb"), kDatabase);
    }

    void TearDown() override
    {
        if (window)
            window->hide();
        window.reset();
    }

    MainWindow &load(const QStringList &switches = {})
    {
        window = std::make_unique<MainWindow>(
            MainWindowServices{t.ctx, languages, dialogs, announcement,
                               QStringList{QStringLiteral("marlowin")} + switches,
                               QLocale(QLocale::English, QLocale::UnitedStates)});
        window->load();
        if (!window->wentToTray())
            window->show();
        return *window;
    }

    // The same with a fake tray icon, which says whether the desktop has a tray.
    MainWindow &loadWithTray(bool available = true, const QStringList &switches = {})
    {
        window = std::make_unique<MainWindow>(
            MainWindowServices{t.ctx, languages, dialogs, announcement,
                               QStringList{QStringLiteral("marlowin")} + switches,
                               QLocale(QLocale::English, QLocale::UnitedStates), [this, available] {
                                   auto fake = std::make_unique<FakeTray>(available);
                                   tray = fake.get();
                                   return fake;
                               }});
        window->load();
        if (!window->wentToTray())
            window->show();
        return *window;
    }

    TestContext t;
    Languages languages{t.ctx.appFolder, ProgramInfo::identity()};
    RecordingDialogs dialogs;
    RecordingAnnouncement announcement;
    std::unique_ptr<MainWindow> window;
    FakeTray *tray = nullptr; // made by loadWithTray, owned by the window
};

} // namespace test
