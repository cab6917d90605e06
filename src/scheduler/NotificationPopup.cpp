#include "scheduler/NotificationPopup.h"

#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"
#include "platform/Clock.h"
#include "platform/Icons.h"
#include "scheduler/NewItemsAnnouncement.h"
#include "scheduler/PopupTransparency.h"

#include <QApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QSoundEffect>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using PopupGeometry::pixelsToTwips;
using PopupGeometry::PopupSlide;

// The list shows this many rows at least and at most; more rows scroll.
constexpr int kMinVisibleRows = 3;
constexpr int kMaxVisibleRows = 8;
constexpr int kMinWidth = 300;
constexpr int kMaxWidth = 480;

QLabel *label(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A picture is no caption: the language file must not address it.
QLabel *picture(const char *name, const QString &iconName, int size, QWidget *parent)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setProperty("untranslated", true);
    picture->setPixmap(platform::namedIcon(iconName).pixmap(size, size));
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return picture;
}

QFont boldFont(QFont font)
{
    font.setBold(true);
    return font;
}

QFont linkFont(QFont font)
{
    font.setUnderline(true);
    return font;
}

// The size the contents' layout asks for now. Activating the layout first drops the sizes its
// nested layouts remember from before the last change.
QSize contentsSize(QWidget &contents)
{
    contents.layout()->invalidate();
    contents.layout()->activate();
    return contents.sizeHint();
}

} // namespace

NotificationPopup::NotificationPopup(Languages &languages, platform::Clock &clock, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_languages(languages)
    , m_animateTimer(clock.createTimer())
    , m_waitTimer(clock.createTimer())
{
    setObjectName(QStringLiteral("frmNotification"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A popup left open must not keep the program running, nor end it when it closes.
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont font = this->font();
    font.setFamilies({QStringLiteral("Verdana"), font.family()});
    setFont(font);
    buildControls();
    setCanGainFocus(false);
}

NotificationPopup::~NotificationPopup() = default;

// The contents keep their design size in a frame at the window's top left; the window is
// shorter while it slides, so it shows their top part rising out of the bottom of the screen.
void NotificationPopup::buildControls()
{
    auto *frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setAutoFillBackground(true);
    m_contents = frame;

    auto *side = new QWidget(frame);
    side->setAutoFillBackground(true);
    side->setBackgroundRole(QPalette::Highlight);
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(8, 10, 8, 10);
    sideLayout->addWidget(picture("picSide", QStringLiteral("marlowin"), 40, side));
    sideLayout->addStretch();

    auto *header = label("lblHeader", QStringLiteral("New Feed Items Found!!!"), frame);
    header->setFont(boldFont(header->font()));
    m_picClose = new QToolButton(frame);
    m_picClose->setObjectName(QStringLiteral("picClose"));
    m_picClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_picClose->setAutoRaise(true);
    m_picClose->setFocusPolicy(Qt::NoFocus);
    connect(m_picClose, &QToolButton::clicked, this, &NotificationPopup::closeWindow);

    m_lstResult = new QListWidget(frame);
    m_lstResult->setObjectName(QStringLiteral("lstResult"));
    m_lstResult->setFocusPolicy(Qt::NoFocus);
    m_lstResult->setSelectionMode(QAbstractItemView::NoSelection);
    m_lstResult->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lstResult->setTextElideMode(Qt::ElideMiddle);

    m_lblClose = label("lblClose", QStringLiteral("Close Window"), frame);
    m_lblClose->setFont(linkFont(m_lblClose->font()));
    m_lblClose->setForegroundRole(QPalette::Link);
    m_lblClose->setCursor(Qt::PointingHandCursor);
    m_lblClose->installEventFilter(this);

    auto *headerRow = new QHBoxLayout;
    headerRow->setSpacing(6);
    headerRow->addWidget(picture("imgWeatherIcon", QStringLiteral("feed-rss"), 16, frame));
    headerRow->addWidget(header, 1);
    headerRow->addWidget(m_picClose);
    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(m_lblClose);

    auto *body = new QVBoxLayout;
    body->setContentsMargins(10, 6, 6, 8);
    body->setSpacing(4);
    body->addLayout(headerRow);
    body->addWidget(label("lblFeeds", QStringLiteral("Following Feeds Updated:"), frame));
    body->addWidget(m_lstResult);
    body->addLayout(closeRow);
    body->addStretch();

    auto *layout = new QHBoxLayout(frame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(side);
    layout->addLayout(body, 1);
    setWindowTitle(header->text());
}

void NotificationPopup::setCanGainFocus(bool canGainFocus)
{
    m_canGainFocus = canGainFocus;
    // Changing window flags hides a shown window; it comes back where it was.
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, !canGainFocus);
    setAttribute(Qt::WA_ShowWithoutActivating, !canGainFocus);
    if (shown)
        show();
}

void NotificationPopup::setProperties(const PopupProperties &properties)
{
    setTransparencyPercentage(properties.transparencyPercentage);
    setSoundFilePath(properties.soundFilePath);
    setPlaySound(properties.playSound);
    setAutoClose(properties.autoClose);
    setTimeToLive(properties.timeToLive);
    setMakeTransparent(properties.makeTransparent);
    setCanGainFocus(properties.canGainFocus);
}

void NotificationPopup::addRow(const QString &row)
{
    m_lstResult->addItem(row);
}

bool NotificationPopup::isClosing() const
{
    return m_slide.direction() == PopupSlide::Direction::Closing;
}

void NotificationPopup::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown again after a change of its flags, or restored: it goes on from where it was.
    if (!m_loaded)
        load();
}

// Runs before the window first appears on screen, so it never shows at its design height.
void NotificationPopup::load()
{
    m_loaded = true;
    translate();
    if (QWidget *active = QApplication::activeWindow(); active && active != this)
        m_previousWindow = active;
    if (m_makeTransparent)
        setWindowOpacity(popupAlpha(m_transparencyPercentage) / 255.0);
    m_lblClose->setVisible(!m_autoClose);
    fitContents();
    const QScreen *screen = QGuiApplication::primaryScreen();
    m_workArea = screen ? screen->availableGeometry() : QRect();
    m_slide = PopupSlide(pixelsToTwips(m_contents->height()));
    place();
    playSound();
    startAnimating();
}

void NotificationPopup::translate()
{
    QtTranslatableWindow window(*this);
    const QString language = m_languages.currentLanguage();
    m_languages.changeLanguage(window, language);
    m_picClose->setToolTip(m_lblClose->text());
}

// The list is as tall as its rows (within limits) and the popup as wide as the longest row
// (within limits too; longer rows lose the middle of the feed name, never the count).
void NotificationPopup::fitContents()
{
    const int rows = std::clamp(m_lstResult->count(), kMinVisibleRows, kMaxVisibleRows);
    const int rowHeight = m_lstResult->count() > 0 ? m_lstResult->sizeHintForRow(0)
                                                   : m_lstResult->fontMetrics().height() + 2;
    const int frame = 2 * m_lstResult->frameWidth();
    m_lstResult->setFixedHeight(rows * rowHeight + frame);

    const int scrollBar = m_lstResult->count() > kMaxVisibleRows
        ? m_lstResult->style()->pixelMetric(QStyle::PM_ScrollBarExtent)
        : 0;
    m_lstResult->setMinimumWidth(m_lstResult->sizeHintForColumn(0) + frame + scrollBar + 8);
    const int width = std::clamp(contentsSize(*m_contents).width(), kMinWidth, kMaxWidth);
    m_lstResult->setMinimumWidth(0);
    m_contents->setGeometry(0, 0, width, contentsSize(*m_contents).height());
}

void NotificationPopup::place()
{
    const QRect rect
        = PopupGeometry::popupRect(m_workArea, m_contents->width(), m_slide.heightTwips());
    setGeometry(rect);
    // The last step may overshoot the design height by a few pixels: the frame follows.
    if (rect.height() > m_contents->height())
        m_contents->resize(rect.width(), rect.height());
}

// A missing file is no error: the popup opens silently. Playback runs on its own; without an
// audio device it simply does not sound.
void NotificationPopup::playSound()
{
    if (!m_playSound || !QFileInfo(m_soundFilePath).isFile())
        return;
    auto *sound = new QSoundEffect(this);
    sound->setSource(QUrl::fromLocalFile(m_soundFilePath));
    sound->play();
}

// One height change and one move per tick, nothing else. The next tick is due kAnimateMs after
// this one, as long as the popup still moves.
void NotificationPopup::animate()
{
    switch (m_slide.tick()) {
    case PopupSlide::Step::Moved:
        startAnimating();
        place();
        break;
    case PopupSlide::Step::Opened:
        if (m_autoClose)
            m_waitTimer->start(std::max(m_timeToLive, 0), [this] { startClosing(); });
        break;
    case PopupSlide::Step::Finished:
        close();
        break;
    }
}

void NotificationPopup::startAnimating()
{
    m_animateTimer->start(kAnimateMs, [this] { animate(); });
}

void NotificationPopup::closeWindow()
{
    m_waitTimer->stop();
    startClosing();
}

void NotificationPopup::startClosing()
{
    m_slide.close();
    startAnimating();
}

bool NotificationPopup::event(QEvent *event)
{
    // Where the window system activates the popup all the same, the window that was active
    // before gets the focus back, so typing goes on there.
    if (event->type() == QEvent::WindowActivate && !m_canGainFocus && m_previousWindow)
        m_previousWindow->activateWindow();
    return QWidget::event(event);
}

bool NotificationPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lblClose && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton
            && m_lblClose->rect().contains(mouse->position().toPoint())) {
            closeWindow();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
