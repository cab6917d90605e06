#include "app/WindowCatalog.h"

#include "email/frmEmailSettings.h"
#include "email/frmSendEmail.h"
#include "localization/frmLanguage.h"
#include "platform/Context.h"
#include "platform/QtTreeView.h"
#include "reading/frmViewFeed.h"
#include "scheduler/frmNotification.h"
#include "scheduler/frmScheduler.h"
#include "settings/Autostart.h"
#include "settings/frmAppSettings.h"
#include "shell/frmConfirmClose.h"
#include "shell/frmMain.h"
#include "shell/frmOptionBar.h"
#include "subscriptions/frmAddFeed.h"
#include "subscriptions/frmCategory.h"

std::vector<std::unique_ptr<QWidget>> createAllWindows(const MainWindowServices &services)
{
    const platform::Context &ctx = services.ctx;
    clsLanguages &languages = services.languages;
    auto main = std::make_unique<frmMain>(services);
    main->createOptionBar();
    FeedWindowHost &host = *main;

    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<frmConfirmClose>(ctx));
    windows.push_back(std::make_unique<frmViewFeed>(ctx, host));
    windows.push_back(std::make_unique<frmAddFeed>(ctx, languages, [] {}));
    windows.push_back(std::make_unique<frmCategory>(ctx, languages, [] {}));
    windows.push_back(std::make_unique<frmAppSettings>(ctx, languages, Autostart::Locations{}, QString()));
    windows.push_back(std::make_unique<frmScheduler>(ctx, languages, main->optionBar()->tree(), [] {}));
    windows.push_back(std::make_unique<frmLanguage>(ctx, languages, QString(), [](const QString &) {}));
    windows.push_back(std::make_unique<frmEmailSettings>(ctx, languages));
    windows.push_back(std::make_unique<frmSendEmail>(ctx, languages));
    windows.push_back(std::make_unique<frmNotification>(languages, ctx.clock));
    windows.insert(windows.begin(), std::move(main));
    return windows;
}
