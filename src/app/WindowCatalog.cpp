#include "app/WindowCatalog.h"

#include "email/EmailSettingsDialog.h"
#include "email/SendEmailDialog.h"
#include "localization/LanguageDialog.h"
#include "platform/Context.h"
#include "platform/QtTreeView.h"
#include "reading/FeedWindow.h"
#include "scheduler/NotificationPopup.h"
#include "scheduler/SchedulerDialog.h"
#include "settings/AppSettingsDialog.h"
#include "settings/Autostart.h"
#include "shell/CategoryPane.h"
#include "shell/ConfirmCloseDialog.h"
#include "shell/MainWindow.h"
#include "subscriptions/CategoryDialog.h"
#include "subscriptions/FeedDialog.h"

std::vector<std::unique_ptr<QWidget>> createAllWindows(const MainWindowServices &services)
{
    const platform::Context &ctx = services.ctx;
    Languages &languages = services.languages;
    auto main = std::make_unique<MainWindow>(services);
    main->createOptionBar();
    FeedWindowHost &host = *main;

    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<ConfirmCloseDialog>(ctx));
    windows.push_back(std::make_unique<FeedWindow>(ctx, host));
    windows.push_back(std::make_unique<FeedDialog>(ctx, languages, [] {}));
    windows.push_back(std::make_unique<CategoryDialog>(ctx, languages, [] {}));
    windows.push_back(
        std::make_unique<AppSettingsDialog>(ctx, languages, Autostart::Locations{}, QString()));
    windows.push_back(
        std::make_unique<SchedulerDialog>(ctx, languages, main->optionBar()->tree(), [] {}));
    windows.push_back(
        std::make_unique<LanguageDialog>(ctx, languages, QString(), [](const QString &) {}));
    windows.push_back(std::make_unique<EmailSettingsDialog>(ctx, languages));
    windows.push_back(std::make_unique<SendEmailDialog>(ctx, languages));
    windows.push_back(std::make_unique<NotificationPopup>(languages, ctx.clock));
    windows.insert(windows.begin(), std::move(main));
    return windows;
}
