#include "app/WindowCatalog.h"

#include "app/MainWindow.h"

std::vector<std::unique_ptr<QWidget>> CreateAllWindows(const platform::Context &ctx)
{
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(CreateMainWindow(ctx));
    return windows;
}
