#include "app/MainWindow.h"

#include "platform/Context.h"

#include <QLabel>

std::unique_ptr<QMainWindow> CreateMainWindow(const platform::Context &ctx)
{
    auto window = std::make_unique<QMainWindow>();
    window->setObjectName(QStringLiteral("frmMain"));
    window->setWindowTitle(QStringLiteral("Marlowin"));
    auto *folder = new QLabel(QObject::tr("App folder: %1").arg(ctx.appFolder), window.get());
    folder->setAlignment(Qt::AlignCenter);
    window->setCentralWidget(folder);
    window->resize(1000, 700);
    return window;
}
