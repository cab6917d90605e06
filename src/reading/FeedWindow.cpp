#include "reading/FeedWindow.h"

#include "common/Desktop.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "common/Text.h"
#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/Icons.h"
#include "platform/MessageBoxes.h"
#include "platform/QtReportList.h"
#include "reading/FeedWindowHost.h"
#include "reading/LongRuns.h"
#include "reading/PreviewBrowser.h"
#include "reading/PreviewPage.h"
#include "reading/SplitterDrag.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeWidget>

#include <exception>
#include <functional>

namespace {

const QString kRead = QStringLiteral("read");
const QString kUnread = QStringLiteral("unread");

// Columns of lstItems: the title, the date as shown, the item stamp as the date's sort key.
constexpr int kTitleColumn = 0;
constexpr int kDateColumn = 1;
constexpr int kStampColumn = 2;

constexpr int kSplitterHeight = 6;

// The item list: tells the window when a key moved the current row, since a reader expects the
// preview to follow the arrow keys as it follows clicks.
class ItemListWidget final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    std::function<void()> onKeyboardMove;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const QTreeWidgetItem *before = currentItem();
        QTreeWidget::keyPressEvent(event);
        if (currentItem() && currentItem() != before && onKeyboardMove)
            onKeyboardMove();
    }
};

// The thin bar between list and preview. It only reports the left button and the mouse
// position (in its own coordinates); the window decides where the bar goes.
class SplitterBar final : public QWidget {
public:
    explicit SplitterBar(QWidget *parent)
        : QWidget(parent)
    {
        setCursor(Qt::SizeVerCursor);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Window);
    }
    std::function<void()> onPress;
    std::function<void(qreal y)> onMove;
    std::function<void()> onRelease;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && onPress)
            onPress();
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (onMove)
            onMove(event->position().y());
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && onRelease)
            onRelease();
    }
};

void warnItemNotFound(const platform::Context &ctx)
{
    ctx.messages.warning(
        QStringLiteral("Failed to locate item in Feed Data File!"),
        QStringLiteral("Application failed to access details for selected Feed Item. "
                       "Either item is deleted or Feed Data file is not accessible to "
                       "application."));
}

bool isMinimizedWithin(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget->isMinimized())
            return true;
    }
    return false;
}

} // namespace

struct FeedWindow::Private {
    Private(FeedWindow &window, const platform::Context &context, FeedWindowHost &feedHost,
            CaptionSink &caption, const QLocale &locale)
        : q(window)
        , ctx(context)
        , host(feedHost)
        , lstItems(new ItemListWidget(&window))
        , picSplitter(new SplitterBar(&window))
        , ucPreview(new PreviewBrowser(&window))
        , delay(context.clock.createTimer())
        , list(*lstItems)
        , reader(context, list, caption, locale)
    {
    }

    FeedWindow &q;
    const platform::Context &ctx;
    FeedWindowHost &host;
    ItemListWidget *lstItems;
    SplitterBar *picSplitter;
    PreviewBrowser *ucPreview;
    std::unique_ptr<platform::ClockTimer> delay; // before the first load
    platform::QtReportList list;
    FeedReader reader;
    SplitterDrag drag;
    int step = 0; // the step of the item command running, for its error report

    void setUp();
    void layOut();
    void dragTo(qreal y);
    void sortByHeader(int section);
    void rowChosen();
    void rightButtonReleased(const QPoint &viewportPos, const QPoint &globalPos);
    void linkClicked(const QUrl &url);
    void navigationComplete();

    [[nodiscard]] QString appFile(const QString &name) const
    {
        return Files::withTrailingSlash(ctx.appFolder) + name;
    }
    [[nodiscard]] bool selectedItem(int &row, platform::ListRow &item) const;

    void showItemPreview(bool noNavigate);
    void showCommand();
    void deleteCommand();
    void saveCommand(bool html);
    void emailCommand();
    void onlineCommand();
    [[nodiscard]] bool currentItemIs(const platform::ListRow &item);
};

// ---- construction -------------------------------------------------------------------------------

FeedWindow::FeedWindow(const platform::Context &ctx, FeedWindowHost &host, QWidget *parent,
                       const QLocale &locale)
    : QWidget(parent)
{
    CaptionSink &caption = *this; // a private base: converted here, not inside make_unique
    d = std::make_unique<Private>(*this, ctx, host, caption, locale);
    d->setUp();
}

FeedWindow::~FeedWindow()
{
    // The base class deletes the children after d is gone: nothing they send on the way may
    // reach it.
    d->lstItems->viewport()->removeEventFilter(this);
    for (QObject *child : findChildren<QObject *>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void FeedWindow::Private::setUp()
{
    q.setObjectName(QStringLiteral("frmViewFeed"));
    lstItems->setObjectName(QStringLiteral("lstItems"));
    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    ucPreview->setObjectName(QStringLiteral("ucPreview"));

    list.setColumns(
        {QStringLiteral("Title"), QStringLiteral("Published On"), QStringLiteral("date_sort")}, {});
    // The stamp is a sort key only, never shown.
    lstItems->setColumnHidden(kStampColumn, true);
    // The two columns share the list's whole width (frame and scroll bar included), so a
    // horizontal scroll bar would only ever scroll by those few pixels.
    lstItems->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setIcons({{kRead, platform::namedIcon(QStringLiteral("item-read"))},
                   {kUnread, platform::namedIcon(QStringLiteral("item-unread"))}});
    // Newest first until the user picks another order.
    list.setSortColumn(kStampColumn);
    list.setSortDescending(true);

    picSplitter->resize(picSplitter->width(), kSplitterHeight);
    picSplitter->onPress = [this] { drag.press(); };
    picSplitter->onRelease = [this] { drag.release(); };
    picSplitter->onMove = [this](qreal y) { dragTo(y); };

    lstItems->onKeyboardMove = [this] { rowChosen(); };
    lstItems->viewport()->installEventFilter(&q);
    QObject::connect(lstItems, &QTreeWidget::itemClicked, &q, [this] { rowChosen(); });
    QObject::connect(lstItems->header(), &QHeaderView::sectionClicked, &q,
                     [this](int section) { sortByHeader(section); });

    QObject::connect(&reader, &FeedReader::feedTypeCorrected, &q,
                     [this](FeedType type) { host.feedTypeCorrected(reader.feedId(), type); });
    QObject::connect(ucPreview, &PreviewBrowser::navigationComplete, &q,
                     [this] { navigationComplete(); });
    QObject::connect(ucPreview, &PreviewBrowser::keyPressedInDocument, &q,
                     [this] { lstItems->setFocus(); });
    QObject::connect(ucPreview, &PreviewBrowser::linkClicked, &q,
                     [this](const QUrl &url) { linkClicked(url); });

    q.setWindowTitle(LongRuns::shortLine(reader.feedCaption()));
    ucPreview->navigateBlank();

    delay->start(kFirstLoadDelayMs, [this] { q.loadFeedData(true); });
}

// ---- properties ---------------------------------------------------------------------------------

QString FeedWindow::feedId() const
{
    return d->reader.feedId();
}

void FeedWindow::setFeedID(const QString &id)
{
    d->reader.setFeedID(id);
}

QString FeedWindow::feedUrl() const
{
    return d->reader.feedUrl();
}

void FeedWindow::setFeedURL(const QString &url)
{
    d->reader.setFeedURL(url);
}

FeedType FeedWindow::feedType() const
{
    return d->reader.feedType();
}

void FeedWindow::setFeedType(FeedType type)
{
    d->reader.setFeedType(type);
}

QString FeedWindow::feedCaption() const
{
    return d->reader.feedCaption();
}

// While a refresh runs, its stages keep showing; the new name appears with the next one.
void FeedWindow::setFeedCaption(const QString &caption)
{
    d->reader.setFeedCaption(caption);
    if (!stillExecuting())
        setWindowTitle(LongRuns::shortLine(caption));
}

bool FeedWindow::checkForNewItems() const
{
    return d->reader.checkForNewItems();
}

void FeedWindow::setCheckForNewItems(bool check)
{
    d->reader.setCheckForNewItems(check);
}

bool FeedWindow::stillExecuting() const
{
    return d->reader.stillExecuting();
}

FeedReader &FeedWindow::reader()
{
    return d->reader;
}

QTreeWidget &FeedWindow::itemList() const
{
    return *d->lstItems;
}

QTextBrowser &FeedWindow::preview() const
{
    return *d->ucPreview;
}

QString FeedWindow::previewFilePath() const
{
    return d->appFile(QStringLiteral("~preview.tmp"));
}

// ---- loading --------------------------------------------------------------------------------------

void FeedWindow::loadFeedData(bool loadList)
{
    d->reader.loadFeedData(loadList);
}

void FeedWindow::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void FeedWindow::repaintTabs()
{
    d->host.repaintTabs();
}

// ---- window events --------------------------------------------------------------------------------

void FeedWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!isMinimizedWithin(this))
        d->layOut();
}

// Closing abandons a refresh that waits for its server. Only while the window asks the user
// something about it (a box that waits in its own loop) does it stay.
void FeedWindow::closeEvent(QCloseEvent *event)
{
    if (QApplication::activeModalWidget() && stillExecuting()) {
        d->ctx.messages.warning(QString(), d->host.message(QStringLiteral("MSG_BUSY")));
        event->ignore();
        return;
    }
    d->reader.cancelRefresh();
    event->accept();
}

bool FeedWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == d->lstItems->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            d->rightButtonReleased(mouse->position().toPoint(), mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

// The list takes the upper half, the bar sits below it, the preview takes the rest: every resize
// puts the bar back in the middle.
void FeedWindow::Private::layOut()
{
    const int width = q.width();
    const int height = q.height();
    lstItems->setGeometry(0, 0, width, height / 2);
    lstItems->setColumnWidth(kTitleColumn, qRound(0.7 * width));
    lstItems->setColumnWidth(kDateColumn, qRound(0.3 * width));
    picSplitter->setGeometry(0, lstItems->height(), width, picSplitter->height());
    if (height > 0) {
        const int top = picSplitter->y() + picSplitter->height();
        ucPreview->setGeometry(0, top, width, qMax(0, height - top));
    }
}

void FeedWindow::Private::dragTo(qreal y)
{
    const std::optional<int> delta = drag.move(y, picSplitter->y(), q.height());
    if (!delta)
        return;
    picSplitter->move(0, picSplitter->y() - *delta);
    lstItems->resize(lstItems->width(), lstItems->height() - *delta);
    const int top = picSplitter->y() + picSplitter->height();
    ucPreview->setGeometry(0, top, q.width(),
                           qMax(0, q.height() - picSplitter->height() - lstItems->height()));
}

// "Published On" sorts by the stamp, so that dates order chronologically; each click reverses
// the order.
void FeedWindow::Private::sortByHeader(int section)
{
    list.setSorted(false);
    if (section == kTitleColumn)
        list.setSortColumn(kTitleColumn);
    else if (section == kDateColumn)
        list.setSortColumn(kStampColumn);
    list.setSortDescending(!list.isSortDescending());
    list.setSorted(true);
}

void FeedWindow::Private::rowChosen()
{
    if (list.count() == 0 || list.selectedRow() < 0)
        return;
    host.itemSelected();
    showItemPreview(false);
}

void FeedWindow::Private::rightButtonReleased(const QPoint &viewportPos, const QPoint &globalPos)
{
    const int row = list.selectedRow();
    if (row >= 0 && lstItems->itemAt(viewportPos) == lstItems->topLevelItem(row))
        host.showItemMenu(globalPos);
}

// A link of the page goes to the desktop only as a web or mail address; an anchor of the page
// itself scrolls the preview.
void FeedWindow::Private::linkClicked(const QUrl &url)
{
    const QString address = url.toString(QUrl::FullyEncoded);
    if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment())
        ucPreview->scrollToAnchor(url.fragment());
    else if (PreviewPage::isWebAddress(address)
             || url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0)
        Desktop::open(ctx, address);
}

void FeedWindow::Private::navigationComplete()
{
    QFile::remove(q.previewFilePath()); // a file that is already gone is fine
    lstItems->setFocus();
}

// ---- item commands --------------------------------------------------------------------------------

void FeedWindow::runItemCommand(ItemCommand command)
{
    d->step = 0;
    try {
        switch (command) {
        case ItemCommand::Show:
            d->showCommand();
            break;
        case ItemCommand::ViewOnline:
            d->onlineCommand();
            break;
        case ItemCommand::Delete:
            d->deleteCommand();
            break;
        case ItemCommand::ExportText:
            d->saveCommand(false);
            break;
        case ItemCommand::ExportHtml:
            d->saveCommand(true);
            break;
        case ItemCommand::Email:
            d->emailCommand();
            break;
        }
    } catch (const std::exception &failure) {
        ErrorReport::show(d->ctx, QStringLiteral("HandlePopupMenu"), d->step,
                          QString::fromLocal8Bit(failure.what()));
    }
}

bool FeedWindow::Private::selectedItem(int &row, platform::ListRow &item) const
{
    row = list.count() > 0 ? list.selectedRow() : -1;
    if (row < 0)
        return false;
    item = list.row(row);
    return true;
}

void FeedWindow::Private::showItemPreview(bool noNavigate)
{
    int row = -1;
    platform::ListRow item;
    if (!selectedItem(row, item))
        return;

    step = 1;
    const QString templatePath = appFile(QStringLiteral("view.tpl"));
    if (!Files::fileExists(ctx, templatePath)) {
        ctx.messages.warning(
            QStringLiteral("Error!"),
            QStringLiteral("Required Preview object file is missing or hidden. Please "
                           "reinstall application to resolve this issue."));
        return;
    }
    step = 2;
    const QString pageTemplate = Files::readText(ctx, templatePath);
    if (Text::isBlank(pageTemplate)) {
        ctx.messages.warning(
            QStringLiteral("Invalid Preview data object!"),
            QStringLiteral("Invalid Item Preview object data. Either file is damaged or "
                           "replaced by another file. Please reinstall the Application "
                           "to resolve this issue."));
        return;
    }
    step = 3;
    if (!reader.processItem(item.key, ItemAction::Load, item.bold)) {
        warnItemNotFound(ctx);
        return;
    }
    step = 4;
    item.bold = false;
    item.icon = kRead;
    list.setRow(row, item);
    step = 5;
    const QString page = PreviewPage::fill(pageTemplate, reader.currentItem());
    step = 6;
    if (!Files::writeText(ctx, q.previewFilePath(), page))
        return; // the write has shown its own box
    step = 7;
    if (!noNavigate)
        ucPreview->navigate(q.previewFilePath());
}

void FeedWindow::Private::showCommand()
{
    showItemPreview(false);
}

void FeedWindow::Private::deleteCommand()
{
    int row = -1;
    platform::ListRow item;
    if (!selectedItem(row, item))
        return;
    step = 1;
    if (!reader.processItem(item.key, ItemAction::Delete, true))
        return;
    step = 2;
    list.remove(row);
    ucPreview->navigateBlank();
}

void FeedWindow::Private::saveCommand(bool html)
{
    step = 1;
    const QString path = html
        ? host.saveFileName(QStringLiteral("Save As ..."), QStringLiteral("html"),
                            QStringLiteral("HTML Files|*.htm;*.html"))
        : host.saveFileName(QStringLiteral("Save As ..."), QStringLiteral("txt"),
                            QStringLiteral("Text Files|*.txt"));
    step = 2;
    if (Text::isBlank(path))
        return;
    step = 3;
    // The whole item, though the preview may show only a part of it.
    const QString body
        = html ? PreviewPage::bodyInnerHtml(ucPreview->pageText()) : ucPreview->pagePlainText();
    Files::writeText(ctx, path, body);
}

// Every way to a row shows it first, so currentItem is normally the selected row's item; a row
// chosen otherwise (the item menu opened over a row not yet shown) is looked up here.
bool FeedWindow::Private::currentItemIs(const platform::ListRow &item)
{
    if (!reader.currentItem().id.isEmpty() && reader.currentItem().id == item.key)
        return true;
    if (reader.processItem(item.key, ItemAction::Load, false))
        return true;
    warnItemNotFound(ctx);
    return false;
}

void FeedWindow::Private::emailCommand()
{
    int row = -1;
    platform::ListRow item;
    step = 1;
    if (!selectedItem(row, item))
        return;
    step = 2;
    const QString server = Settings::loadEmailServer(ctx);
    step = 3;
    if (Text::isBlank(server)) {
        if (ctx.messages.question(
                QStringLiteral("Email Server Settings not configured!"),
                QStringLiteral("Email Server Settings are not properly configured. Would "
                               "you like to set Email Server Settings now?")))
            host.showEmailSettings();
        else
            ctx.messages.warning(
                QStringLiteral("Cannot Send Email!"),
                QStringLiteral("Application cannot send Email. Please configure Email "
                               "Server from \"Email Settings\" panel and try again."));
        return;
    }
    step = 4;
    if (!Files::fileExists(ctx, appFile(QStringLiteral("email.tpl")))) {
        ctx.messages.warning(
            QStringLiteral("Error!"),
            QStringLiteral("Required Email Message object file is missing or hidden. "
                           "Please reinstall application to resolve this issue."));
        return;
    }
    step = 5;
    if (!currentItemIs(item))
        return;
    const FeedItem &current = reader.currentItem();
    host.showSendEmail(ItemMail{reader.feedCaption(), current.title,
                                PreviewPage::itemAddress(current), current.description});
}

// "View Online": the item's address in the desktop's browser, for web addresses only.
void FeedWindow::Private::onlineCommand()
{
    int row = -1;
    platform::ListRow item;
    if (!selectedItem(row, item))
        return;
    step = 1;
    if (!reader.processItem(item.key, ItemAction::Load, false))
        return;
    step = 2;
    const QString address = PreviewPage::itemAddress(reader.currentItem()).trimmed();
    if (PreviewPage::isWebAddress(address))
        Desktop::open(ctx, address);
}
