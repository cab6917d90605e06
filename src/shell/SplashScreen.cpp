#include "shell/SplashScreen.h"

#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/Icons.h"
#include "platform/UserSettings.h"
#include "shell/ProgramInfo.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

SplashScreen::SplashScreen(const platform::Context &ctx, std::function<void()> ready,
                           QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_ready(std::move(ready))
    , m_timer(ctx.clock.createTimer())
{
    setObjectName(QStringLiteral("frmSplash"));
    m_suppressed = ctx.userSettings.value(QStringLiteral("Settings"), QStringLiteral("chkSplash"),
                                          QStringLiteral("0"))
        == u"1";
    setStyleSheet(QStringLiteral("frmSplash { background: #0f5e66; } QLabel { color: white; }"));
    setAttribute(Qt::WA_StyledBackground);

    auto *mark = new QLabel(this);
    mark->setPixmap(platform::namedIcon(QStringLiteral("marlowin")).pixmap(96, 96));
    mark->setAlignment(Qt::AlignCenter);
    const ProgramIdentity identity = ProgramInfo::identity();
    auto *name = new QLabel(identity.productName, this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto *tagline = new QLabel(
        QStringLiteral("Feeds and podcasts, version %1").arg(ProgramInfo::shortVersion()), this);
    tagline->setAlignment(Qt::AlignCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 32, 40, 32);
    layout->addWidget(mark);
    layout->addWidget(name);
    layout->addWidget(tagline);
    setFixedSize(sizeHint().expandedTo(QSize(360, 240)));
}

SplashScreen::~SplashScreen() = default;

void SplashScreen::start()
{
    if (!m_suppressed) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        show();
    }
    startTick();
}

void SplashScreen::startTick()
{
    m_timer->start(kTickMs, [this] { onTick(); });
}

void SplashScreen::onTick()
{
    const bool last = m_intTemp == kLastCount;
    m_intTemp += kTickMs;
    if (!last) {
        startTick();
        return;
    }
    // Out of the way first: loading may ask the first-run language question.
    hide();
    m_ready();
}
