#include "app/WindowCatalog.h"

#include "reading/frmViewFeed.h"
#include "shell/frmConfirmClose.h"
#include "shell/frmMain.h"

std::vector<std::unique_ptr<QWidget>> CreateAllWindows(const MainWindowServices &services)
{
    std::vector<std::unique_ptr<QWidget>> windows;
    auto main = std::make_unique<frmMain>(services);
    main->CreateOptionBar();
    FeedWindowHost &host = *main;
    windows.push_back(std::make_unique<frmConfirmClose>(services.ctx));
    windows.push_back(std::make_unique<frmViewFeed>(services.ctx, host));
    windows.insert(windows.begin(), std::move(main));
    return windows;
}
