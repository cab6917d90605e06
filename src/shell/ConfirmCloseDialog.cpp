#include "shell/ConfirmCloseDialog.h"

#include "platform/Icons.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *namedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

ConfirmCloseDialog::ConfirmCloseDialog(const platform::Context &ctx, QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmConfirmClose"));
    setWindowTitle(QStringLiteral("Minimizing to System Tray ..."));

    auto *icon = new QLabel(this);
    icon->setPixmap(platform::namedIcon(QStringLiteral("marlowin")).pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto *heading = namedLabel(
        "lblTitle", QStringLiteral("Application will be minimized to System Tray."), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto *detail = namedLabel(
        "lblDetail",
        QStringLiteral("This software can continue running in your System Tray, so that "
                       "scheduled tasks will be executed in time."),
        this);
    auto *note = namedLabel("lblNote", QStringLiteral("Note:"), this);
    note->setFont(bold);
    auto *noteText = namedLabel(
        "lblNoteText",
        QStringLiteral("You can change this behavior anytime from Application Settings Panel."),
        this);

    m_alwaysExit = new QCheckBox(
        QStringLiteral(
            "Always Exit completely when I close program; don't execute scheduled Tasks."),
        this);
    m_alwaysExit->setObjectName(QStringLiteral("chkCloseCompletely"));
    m_dontShow = new QCheckBox(QStringLiteral("Don't show this Reminder again."), this);
    m_dontShow->setObjectName(QStringLiteral("chkDontShow"));

    auto *closeNow = new QPushButton(QStringLiteral("Close Now!"), this);
    closeNow->setObjectName(QStringLiteral("cmdCloseNow"));
    auto *keepRunning = new QPushButton(QStringLiteral("Keep Running"), this);
    keepRunning->setObjectName(QStringLiteral("cmdKeepRunning"));
    keepRunning->setDefault(true);
    connect(closeNow, &QPushButton::clicked, this, [this] { choose(true); });
    connect(keepRunning, &QPushButton::clicked, this, [this] { choose(false); });

    auto *texts = new QVBoxLayout;
    texts->addWidget(heading);
    texts->addWidget(detail);
    texts->addSpacing(6);
    texts->addWidget(m_alwaysExit);
    texts->addWidget(m_dontShow);
    texts->addSpacing(6);
    texts->addWidget(note);
    texts->addWidget(noteText);

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeNow);
    buttons->addWidget(keepRunning);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    m_alwaysExit->setChecked(Settings::loadClosing(m_ctx).closeCompletely);
}

bool ConfirmCloseDialog::ask()
{
    m_close = false;
    exec();
    return m_close;
}

void ConfirmCloseDialog::choose(bool close)
{
    Settings::saveConfirmOnClose(m_ctx, !m_dontShow->isChecked());
    Settings::Closing closing = Settings::loadClosing(m_ctx);
    closing.closeCompletely = m_alwaysExit->isChecked();
    closing.minimizeToTray = !closing.closeCompletely;
    Settings::saveClosing(m_ctx, closing);
    m_close = close;
    hide();
}
