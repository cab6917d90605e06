#include "settings/AppSettingsDialog.h"

#include "localization/DialogLanguage.h"
#include "localization/Languages.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "settings/Settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Named, so that the language file can rename it.
QLabel *heading(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QVBoxLayout *indentedSection(QVBoxLayout *parent)
{
    auto *section = new QVBoxLayout;
    section->setContentsMargins(16, 0, 0, 0);
    parent->addLayout(section);
    return section;
}

} // namespace

AppSettingsDialog::AppSettingsDialog(const platform::Context &ctx, Languages &languages,
                                     Autostart::Locations locations, QString executablePath,
                                     QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_languages(languages)
    , m_locations(std::move(locations))
    , m_executablePath(std::move(executablePath))
{
    setObjectName(QStringLiteral("frmAppSettings"));
    setWindowTitle(QStringLiteral("Application Settings"));
    buildControls();
}

void AppSettingsDialog::buildControls()
{
    auto *layout = new QVBoxLayout(this);

    layout->addWidget(heading("lblStartup", QStringLiteral("Application Startup:"), this));
    QVBoxLayout *startup = indentedSection(layout);
    m_startup = new QCheckBox(QStringLiteral("Start Application on Windows Startup."), this);
    m_startup->setObjectName(QStringLiteral("chkStartup"));
    startup->addWidget(m_startup);
    m_startupState = new QLabel(QStringLiteral("(Disabled)"), this);
    m_startupState->setObjectName(QStringLiteral("lblRunAtStart"));
    m_startupState->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Under the check box's text rather than its indicator: the state belongs to that line.
    const int textOffset = style()->pixelMetric(QStyle::PM_IndicatorWidth)
        + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    m_startupState->setContentsMargins(textOffset, 0, 0, 0);
    startup->addWidget(m_startupState);

    layout->addSpacing(8);
    layout->addWidget(heading("lblClosing", QStringLiteral("Application Closing:"), this));
    QVBoxLayout *closing = indentedSection(layout);
    m_closeGroup = new QButtonGroup(this);
    const std::array<QString, 2> texts{QStringLiteral("Close Completely."),
                                       QStringLiteral("Minimize to System Tray.")};
    for (int index = 0; index < 2; ++index) {
        auto *option = new QRadioButton(texts.at(index), this);
        option->setObjectName(QStringLiteral("optClose"));
        option->setProperty("controlIndex", index);
        m_closeGroup->addButton(option, index);
        closing->addWidget(option);
        m_optClose.at(index) = option;
    }

    layout->addStretch();
    layout->addSpacing(8);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    DialogLanguage::nameStandardButton(buttons->button(QDialogButtonBox::Ok), "btnOK");
    DialogLanguage::nameStandardButton(buttons->button(QDialogButtonBox::Cancel), "btnCancel");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &AppSettingsDialog::saveAndClose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    setMinimumWidth(360);
}

void AppSettingsDialog::prepare()
{
    DialogLanguage::translate(*this, m_languages);

    const Settings::Closing closing = Settings::loadClosing(m_ctx);
    m_startup->setChecked(closing.startWithDesktop);
    showOptions(closing.closeCompletely, closing.minimizeToTray);
    showStartupState();
}

// A hand-edited file may ask for both or neither; both shows the tray choice, neither leaves
// the group empty until the user picks one.
void AppSettingsDialog::showOptions(bool closeCompletely, bool minimizeToTray)
{
    m_closeGroup->setExclusive(false);
    m_optClose.at(0)->setChecked(closeCompletely && !minimizeToTray);
    m_optClose.at(1)->setChecked(minimizeToTray);
    m_closeGroup->setExclusive(true);
}

void AppSettingsDialog::showStartupState()
{
    m_startupState->setText(
        Autostart::stateText(m_locations, QFileInfo(m_executablePath).fileName()));
}

void AppSettingsDialog::saveAndClose()
{
    Settings::Closing closing;
    closing.startWithDesktop = m_startup->isChecked();
    closing.closeCompletely = m_optClose.at(0)->isChecked();
    closing.minimizeToTray = m_optClose.at(1)->isChecked();
    Settings::saveClosing(m_ctx, closing);
    m_ctx.messages.information(
        QStringLiteral("Done!"),
        QStringLiteral(
            "Application Settings successfully saved to Application Configuration File."));
    applyStartup();
    showStartupState();
    accept();
}

// The check box promises a start with the session, so it has to leave an entry behind that
// does so, and say when it could not.
void AppSettingsDialog::applyStartup()
{
    const QString path = QDir::toNativeSeparators(m_locations.thisUser);
    if (m_startup->isChecked()) {
        if (!Autostart::writeUserEntry(m_locations, m_executablePath))
            m_ctx.messages.warning(
                windowTitle(),
                QStringLiteral("The autostart entry could not be written:\n\n%1").arg(path));
    } else if (!Autostart::removeUserEntry(m_locations, QFileInfo(m_executablePath).fileName())) {
        m_ctx.messages.warning(
            windowTitle(),
            QStringLiteral("The autostart entry could not be removed:\n\n%1").arg(path));
    }
}
