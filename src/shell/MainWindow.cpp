#include "shell/MainWindow.h"

#include "common/Files.h"
#include "localization/LanguageList.h"
#include "localization/QtTranslatableWindow.h"
#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/Icons.h"
#include "platform/TrayIcon.h"
#include "platform/UserSettings.h"
#include "reading/FeedWindow.h"
#include "scheduler/ScheduleInterval.h"
#include "scheduler/ScheduledCheck.h"
#include "settings/Settings.h"
#include "shell/CategoryPane.h"
#include "shell/ConfirmCloseDialog.h"
#include "shell/ProgramDialogs.h"
#include "shell/ProgramInfo.h"
#include "shell/ScheduleTimer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>

namespace {

const QString kSettings = QStringLiteral("Settings");
const QString kReady = QStringLiteral("Status: Ready!");

// "Text Files|*.txt" -> "Text Files (*.txt)"; patterns are separated by ";" on one side and by
// blanks on the other.
QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return filter;
    return QStringLiteral("%1 (%2)").arg(parts[0],
                                         parts[1].split(QLatin1Char(';')).join(QLatin1Char(' ')));
}

QIcon feedIcon(FeedType type)
{
    static const char *const names[] = {"feed-rss", "feed-atom", "feed-podcast"};
    const int number = storedNumber(type);
    return platform::namedIcon(
        QString::fromLatin1(number >= 0 && number <= 2 ? names[number] : names[0]));
}

} // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
    , m_ctx(m_services.ctx)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Marlowin"));
    setWindowIcon(platform::namedIcon(QStringLiteral("marlowin")));
    resize(1100, 720);

    m_menus = buildMainMenus(*this);
    m_menus.mnuToolsSendByEmail->setEnabled(false);
    m_menus.cmdEmail->setEnabled(false);

    m_workArea = new QMdiArea(this);
    m_workArea->setObjectName(QStringLiteral("mdiWorkArea"));
    m_workArea->setViewMode(QMdiArea::TabbedView);
    m_workArea->setTabsClosable(true);
    m_workArea->setTabsMovable(true);
    m_workArea->setDocumentMode(true);
    setCentralWidget(m_workArea);

    m_schedule = new ScheduleTimer(m_ctx, this);
    connect(m_schedule, &ScheduleTimer::tick, this, &MainWindow::runScheduleTick);

    buildStatusBar();
    connectCommands();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildStatusBar()
{
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(this);
        panel->setContentsMargins(6, 0, 6, 0);
        m_panels.append(panel);
    }
    statusBar()->addWidget(m_panels[3], 1);
    for (int i = 0; i < 3; ++i)
        statusBar()->addPermanentWidget(m_panels[i]);
    m_panels[0]->setText(ProgramInfo::identity().productName);
    m_panels[3]->setText(kReady);
    // The clock is the only thing that wakes the program while nothing happens: once a second.
    m_clock.setInterval(1000);
    m_clock.setTimerType(Qt::CoarseTimer);
    connect(&m_clock, &QTimer::timeout, this, &MainWindow::updateClock);
    updateClock();
    m_clock.start();
}

void MainWindow::updateClock()
{
    const QDateTime now = m_ctx.clock.now();
    m_panels[1]->setText(
        m_services.locale.toString(now.date(), QStringLiteral("dddd, dd MMMM yyyy")));
    m_panels[2]->setText(m_services.locale.toString(now.time(), QLocale::ShortFormat));
}

void MainWindow::setStatus(const QString &text)
{
    m_panels[3]->setText(text);
}

QString MainWindow::statusText() const
{
    return m_panels[3]->text();
}

// ---- the start of a run ----------------------------------------------------------------------------

void MainWindow::load()
{
    setWindowTitle(QStringLiteral("Marlowin"));
    seedAppFolder();
    createOptionBar();
    m_panels[1]->setText(
        m_services.locale.toString(m_ctx.clock.now().date(), QStringLiteral("dddd, dd MMMM yyyy")));
    enableSchedule();
    translateAndAskLanguage();
    showIdentity();
    // After the translation service is ready: the tray balloon takes its texts from it.
    if (ScheduleInterval::isTrayCommandLine(m_services.arguments))
        addToSystemTray();
    if (m_ctx.userSettings.value(kSettings, QStringLiteral("showHelp"), QStringLiteral("1"))
        == u"1")
        showHelp();
}

void MainWindow::showIdentity()
{
    const ProgramIdentity identity = ProgramInfo::identity();
    setWindowTitle(identity.productName + QStringLiteral(" by ") + identity.companyName);
    m_menus.cmdWebsite->setText(QStringLiteral("Visit ") + identity.website);
}

void MainWindow::applyLanguage(const QString &language)
{
    translate(language);
    showIdentity();
}

// The window's captions from the language file, and Qt's own buttons in the same language.
void MainWindow::translate(const QString &language)
{
    QtTranslatableWindow window(*this);
    m_services.languages.changeLanguageMdi(window, language);
    m_qtTexts.apply(
        LanguageList::installedLanguageCode(m_ctx, m_services.languages.currentLanguage()));
}

void MainWindow::seedAppFolder()
{
    const QString dataFolder = Files::withTrailingSlash(m_ctx.appFolder) + QStringLiteral("Data/");
    if (!Files::folderExists(m_ctx, dataFolder))
        QDir().mkpath(dataFolder);
    const QString database = m_ctx.appFolder + QStringLiteral("/feeds.fdb");
    if (!Files::fileExists(m_ctx, database))
        QFile::copy(m_ctx.appFolder + QStringLiteral("/default.fdb"), database);
}

void MainWindow::createOptionBar()
{
    if (m_optionBar)
        return;
    m_dock = new QDockWidget(QStringLiteral("Options"), this);
    m_dock->setObjectName(QStringLiteral("dockOptionBar"));
    m_dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    m_optionBar = new CategoryPane(m_ctx, *this, m_dock);
    m_dock->setWidget(m_optionBar);
    m_dock->installEventFilter(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_dock);
    resizeDocks({m_dock}, {260}, Qt::Horizontal);
    connect(m_dock->toggleViewAction(), &QAction::toggled, this, [this](bool shown) {
        if (!shown && !isMinimized() && isVisible())
            paneClosed();
    });
    if (auto *tabs = m_workArea->findChild<QTabBar *>()) {
        tabs->setObjectName(QStringLiteral("oTabs"));
        tabs->setProperty("untranslated", true); // the tabs show feed names
    }
}

void MainWindow::translateAndAskLanguage()
{
    auto &settings = m_ctx.userSettings;
    const bool firstRun
        = settings.value(kSettings, QStringLiteral("Language"), QString()).isEmpty();
    m_services.languages.setCurrentLanguage(
        settings.value(kSettings, QStringLiteral("Language"), QStringLiteral("English")));
    m_services.languages.registerDefaultMessages();
    translate(m_services.languages.currentLanguage());
    if (firstRun) {
        settings.setValue(kSettings, QStringLiteral("Language"), QStringLiteral("English"));
        m_services.dialogs.showLanguage(this, true);
    }
}

void MainWindow::enableSchedule()
{
    m_schedule->stop();
    const Settings::Scheduler scheduler = Settings::loadScheduler(m_ctx);
    if (!scheduler.enabled)
        return;
    if (ScheduleInterval::isDebugCommandLine(m_services.arguments))
        m_schedule->setInterval(ScheduleInterval::kDebugIntervalMs);
    else if (const auto period = ScheduleInterval::intervalMs(scheduler.intervalIndex))
        m_schedule->setInterval(*period);
    m_schedule->start();
}

// ---- closing -----------------------------------------------------------------------------------------

void MainWindow::requestClose()
{
    m_programClose = true;
    close();
    m_programClose = false;
}

bool MainWindow::closeMinimises() const
{
    const Settings::Closing closing = Settings::loadClosing(m_ctx);
    return closing.minimizeToTray && !closing.closeCompletely;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    bool proceed = true;
    if (m_unloaded || QApplication::closingDown()) {
        proceed = true;
    } else if (Settings::loadConfirmOnClose(m_ctx)) {
        if (!m_confirmClose) {
            m_confirmClose = new ConfirmCloseDialog(m_ctx, this);
            QtTranslatableWindow window(*m_confirmClose);
            m_services.languages.changeLanguage(window, m_services.languages.currentLanguage());
            const QString title = message(QStringLiteral("CAPTION_FRMCONFIRMCLOSE"));
            if (!title.isEmpty())
                m_confirmClose->setWindowTitle(title);
        }
        proceed = m_confirmClose->ask();
    } else if (!m_programClose) {
        proceed = !closeMinimises();
    }
    if (!proceed) {
        event->ignore();
        addToSystemTray();
        return;
    }
    unload();
    event->accept();
}

void MainWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_check)
        m_check->cancel();
    m_schedule->stop();
    m_clock.stop();
    if (m_tray) {
        m_tray->hide();
        m_tray.reset();
    }
}

// ---- feed windows ------------------------------------------------------------------------------------

QList<FeedWindow *> MainWindow::feedWindows() const
{
    QList<FeedWindow *> windows;
    for (QMdiSubWindow *sub : m_workArea->subWindowList())
        if (auto *feed = qobject_cast<FeedWindow *>(sub->widget()))
            windows.append(feed);
    return windows;
}

FeedWindow *MainWindow::activeFeedWindow() const
{
    QMdiSubWindow *sub = m_workArea->currentSubWindow();
    return sub ? qobject_cast<FeedWindow *>(sub->widget()) : nullptr;
}

bool MainWindow::isFeedWindowOpen(const QString &url, bool activate)
{
    for (QMdiSubWindow *sub : m_workArea->subWindowList()) {
        auto *feed = qobject_cast<FeedWindow *>(sub->widget());
        if (!feed || feed->feedUrl().compare(url, Qt::CaseInsensitive) != 0)
            continue;
        if (activate) {
            m_workArea->setActiveSubWindow(sub);
            feed->setFocus();
        }
        return true;
    }
    return false;
}

void MainWindow::openFeedWindow(const QString &caption, const QString &feedId, const QString &url,
                                FeedType feedType, bool checkForNewItems)
{
    const bool open = isFeedWindowOpen(url, true);
    FeedWindow *feed
        = open ? activeFeedWindow() : new FeedWindow(m_ctx, *this, nullptr, m_services.locale);
    feed->setFeedID(feedId);
    feed->setFeedURL(url);
    feed->setFeedCaption(caption);
    feed->setFeedType(feedType);
    feed->setCheckForNewItems(checkForNewItems);
    if (open) {
        feed->loadFeedData(false);
        return;
    }
    QMdiSubWindow *sub = m_workArea->addSubWindow(feed);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(feedIcon(feedType));
    sub->showMaximized();
    m_workArea->setActiveSubWindow(sub);
}

// ---- the scheduler timer -----------------------------------------------------------------------------

void MainWindow::runScheduleTick()
{
    if (m_check)
        return;
    m_schedule->stop();
    m_menus.mnuToolsExecuteSchedule->setEnabled(false);
    setStatus(QStringLiteral("Status: Executing Schedule"));
    CheckOptions options;
    options.locale = m_services.locale;
    m_check = new ScheduledCheck(m_ctx, m_services.announcement, Settings::loadScheduler(m_ctx),
                                 options, this);
    connect(m_check, &ScheduledCheck::finished, this, &MainWindow::scheduledCheckFinished);
    m_check->start();
}

void MainWindow::scheduledCheckFinished()
{
    m_check->deleteLater();
    m_check = nullptr;
    if (m_unloaded)
        return;
    setStatus(QStringLiteral("Status: Ready."));
    m_menus.mnuToolsExecuteSchedule->setEnabled(true);
    // A run from the menu while the scheduler is off must not switch the timer on.
    if (Settings::loadScheduler(m_ctx).enabled)
        m_schedule->start();
}

// ---- what the tree pane and the feed windows ask of the main window ---------------------------------

void MainWindow::nodeClicked(bool isRoot)
{
    m_menus.mnuCatNewFeed->setEnabled(!isRoot);
}

void MainWindow::showFeedsMenu(const QPoint &globalPos)
{
    m_menus.mnuFeeds->setDefaultAction(m_menus.mnuFeedsCheck);
    m_menus.mnuFeeds->popup(globalPos);
}

void MainWindow::showCategoryMenu(const QPoint &globalPos)
{
    m_menus.mnuCat->popup(globalPos);
}

void MainWindow::paneClosed()
{
    m_menus.mnuToolsOptionBar->setChecked(false);
}

void MainWindow::itemSelected()
{
    m_menus.mnuToolsSendByEmail->setEnabled(true);
    m_menus.cmdEmail->setEnabled(true);
}

void MainWindow::showItemMenu(const QPoint &globalPos)
{
    m_menus.mnuFeedItem->setDefaultAction(m_menus.mnuFeedItemShow);
    m_menus.mnuFeedItem->popup(globalPos);
}

void MainWindow::repaintTabs()
{
    if (auto *tabs = m_workArea->findChild<QTabBar *>())
        tabs->update();
}

QString MainWindow::message(const QString &key) const
{
    return m_services.languages.getMessages(key);
}

QString MainWindow::saveFileName(const QString &title, const QString &defaultSuffix,
                                 const QString &filter)
{
    QFileDialog dialog(this, title, QString(), qtFilter(filter));
    dialog.setObjectName(QStringLiteral("ucCommonDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void MainWindow::showEmailSettings()
{
    m_services.dialogs.showEmailSettings(this);
}

void MainWindow::showSendEmail(const ItemMail &mail)
{
    m_services.dialogs.showSendEmail(this, mail);
}

void MainWindow::feedTypeCorrected(const QString &feedId, FeedType type)
{
    for (QMdiSubWindow *sub : m_workArea->subWindowList()) {
        const auto *feed = qobject_cast<FeedWindow *>(sub->widget());
        if (feed && feed->feedId() == feedId)
            sub->setWindowIcon(feedIcon(type));
    }
    refreshTree(); // the tree shows each feed's type
}
