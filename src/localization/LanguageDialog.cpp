#include "localization/LanguageDialog.h"

#include "common/Files.h"
#include "localization/LanguageList.h"
#include "localization/Languages.h"
#include "localization/QtTranslatableWindow.h"
#include "platform/Context.h"
#include "platform/DesktopShell.h"
#include "platform/MessageBoxes.h"
#include "platform/UserSettings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString kPrompt = QStringLiteral("Choose Language Here");
const QString kSettingsSection = QStringLiteral("Settings");
const QString kLanguageKey = QStringLiteral("Language");

QPushButton *namedButton(const char *name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

LanguageDialog::LanguageDialog(const platform::Context &ctx, Languages &languages,
                               QString languagesFolderUrl,
                               std::function<void(const QString &language)> applyToMainWindow,
                               QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_languages(languages)
    , m_languagesFolderUrl(std::move(languagesFolderUrl))
    , m_applyToMainWindow(std::move(applyToMainWindow))
{
    setObjectName(QStringLiteral("frmLanguage"));
    setWindowTitle(QStringLiteral("Change Language"));

    m_label = new QLabel(QStringLiteral("Please select the language you would like to use:"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);

    m_languageBox = new QComboBox(this);
    m_languageBox->setObjectName(QStringLiteral("Combo1"));
    m_languageBox->setEditable(false);
    m_languageBox->setPlaceholderText(kPrompt);
    m_languageBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_label->setBuddy(m_languageBox);

    m_ok = namedButton("Command2", QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_checkUpdates = namedButton("Command1", QStringLiteral("Check for language updates"), this);
    m_translate = namedButton("Command3", QStringLiteral("Translate this program"), this);

    connect(m_languageBox, &QComboBox::activated, this, &LanguageDialog::chooseLanguage);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_checkUpdates, &QPushButton::clicked, this, &LanguageDialog::checkForUpdates);
    connect(m_translate, &QPushButton::clicked, this, &LanguageDialog::openLanguageFile);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_checkUpdates);
    buttons->addWidget(m_translate);
    buttons->addStretch();
    buttons->addSpacing(12);
    buttons->addWidget(m_ok);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_languageBox);
    layout->addSpacing(12);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(480);
}

void LanguageDialog::prepare()
{
    QtTranslatableWindow window(*this);
    m_languages.changeLanguage(window, m_languages.currentLanguage());
    showTranslatedTitle();
    fillLanguageList();
}

void LanguageDialog::fillLanguageList()
{
    m_languageBox->clear();
    m_languageBox->addItems(LanguageList::installedLanguages(m_ctx));
    const QString stored
        = m_ctx.userSettings.value(kSettingsSection, kLanguageKey, QStringLiteral("English"));
    // -1 when the file lacks the stored language: the prompt shows.
    m_languageBox->setCurrentIndex(m_languageBox->findText(stored, Qt::MatchFixedString));
}

// Leaving while the network wait runs would pull the window from under the wait.
void LanguageDialog::done(int result)
{
    if (m_busy)
        return;
    QDialog::done(result);
}

void LanguageDialog::chooseLanguage(int index)
{
    const QString name = m_languageBox->itemText(index);
    if (name.isEmpty() || name == kPrompt)
        return;
    m_ctx.userSettings.setValue(kSettingsSection, kLanguageKey, name);
    m_languages.setCurrentLanguage(name);
    if (m_applyToMainWindow)
        m_applyToMainWindow(name);
    QtTranslatableWindow window(*this);
    m_languages.changeLanguage(window, name);
    // The new language's messages are in place now; the title follows them like the captions.
    showTranslatedTitle();
}

void LanguageDialog::checkForUpdates()
{
    const QPointer<LanguageDialog> alive(this);
    setBusy(true);
    const LanguageList::DownloadResult result = LanguageList::downloadLanguageFile(
        m_ctx, LanguageList::newestLanguageFileUrl(m_languagesFolderUrl));
    if (!alive)
        return;
    setBusy(false);
    if (result != LanguageList::DownloadResult::Stored)
        return;
    fillLanguageList();
    m_ctx.messages.show(platform::MessageIcon::Information, ProgramIdentity().productName,
                        m_languages.getMessages(QStringLiteral("MSG_DOWNLOADED")),
                        platform::MessageButtons::Ok);
}

void LanguageDialog::openLanguageFile()
{
    const QString path = LanguageList::languageFilePath(m_ctx);
    if (Files::fileExists(m_ctx, path))
        m_ctx.shell.openUrl(QUrl::fromLocalFile(path));
}

void LanguageDialog::setBusy(bool busy)
{
    m_busy = busy;
    const QList<QWidget *> controls{m_languageBox, m_ok, m_checkUpdates, m_translate};
    for (QWidget *control : controls)
        control->setEnabled(!busy);
    if (!busy)
        m_checkUpdates->setFocus();
}

void LanguageDialog::showTranslatedTitle()
{
    const QString title = m_languages.getMessages(QStringLiteral("MSG_TITLELANGUAGE"));
    if (!title.isEmpty())
        setWindowTitle(title);
}
