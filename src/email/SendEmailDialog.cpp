#include "email/SendEmailDialog.h"

#include "common/Files.h"
#include "email/EmailBody.h"
#include "email/SmtpSession.h"
#include "localization/DialogLanguage.h"
#include "localization/Languages.h"
#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "settings/Settings.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString IdleText = QStringLiteral("Idle.");

QLabel *namedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A quieter line under or beside a field.
QLabel *note(const char *name, const QString &text, QWidget *parent)
{
    QLabel *label = namedLabel(name, text, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

SendEmailDialog::SendEmailDialog(const platform::Context &ctx, Languages &languages,
                                 QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_languages(languages)
{
    setObjectName(QStringLiteral("frmSendEmail"));
    setWindowTitle(QStringLiteral("Send Email ... "));
    buildControls();
}

SendEmailDialog::~SendEmailDialog() = default;

void SendEmailDialog::buildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *content = new QVBoxLayout;
    const int margin = std::max(12, style()->pixelMetric(QStyle::PM_LayoutLeftMargin));
    content->setContentsMargins(margin, margin, margin, margin / 2);
    outer->addLayout(content);

    auto *form = new QFormLayout;
    m_txtTo = new QLineEdit(this);
    m_txtTo->setObjectName(QStringLiteral("txtTo"));
    form->addRow(namedLabel("lblTo", QStringLiteral("To:"), this), m_txtTo);
    form->addRow(QString(),
                 note("lblToNote",
                      QStringLiteral("Seperate Multiple Recipients by semi-colon (;) "
                                     "character."),
                      this));
    m_txtSubject = new QLineEdit(this);
    m_txtSubject->setObjectName(QStringLiteral("txtSubject"));
    form->addRow(namedLabel("lblSubject", QStringLiteral("Subject:"), this), m_txtSubject);
    content->addLayout(form);

    content->addSpacing(6);
    auto *messageHeading = new QHBoxLayout;
    messageHeading->setSpacing(6);
    messageHeading->addWidget(namedLabel("lblMessage", QStringLiteral("Personal Message:"), this));
    messageHeading->addWidget(note("lblOptional", QStringLiteral("(Optional)"), this));
    messageHeading->addStretch();
    content->addLayout(messageHeading);
    m_txtMessage = new QPlainTextEdit(this);
    m_txtMessage->setObjectName(QStringLiteral("txtMessage"));
    m_txtMessage->setPlainText(QStringLiteral(
        "Hello,\n\nI have found an interesting article that you may want to look at, which is "
        "attached below.\n"));
    m_txtMessage->setTabChangesFocus(true);
    // Room for the greeting and a few lines of the user's own.
    m_txtMessage->setMinimumHeight(m_txtMessage->fontMetrics().lineSpacing() * 7);
    content->addWidget(m_txtMessage, 1);

    auto *group = new QButtonGroup(this);
    const std::array<QString, 2> texts{QStringLiteral("Send Complete Item Description."),
                                       QStringLiteral("Just Send Item Link.")};
    for (int index = 0; index < 2; ++index) {
        auto *option = new QRadioButton(texts.at(index), this);
        option->setObjectName(QStringLiteral("optSend"));
        option->setProperty("controlIndex", index);
        group->addButton(option, index);
        content->addWidget(option);
        m_optSend.at(index) = option;
    }
    m_optSend.at(1)->setChecked(true);

    content->addSpacing(6);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_btnOK = buttons->button(QDialogButtonBox::Ok);
    m_btnCancel = buttons->button(QDialogButtonBox::Cancel);
    DialogLanguage::nameStandardButton(m_btnOK, "btnOK");
    DialogLanguage::nameStandardButton(m_btnCancel, "btnCancel");
    m_btnOK->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &SendEmailDialog::sendClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    content->addWidget(buttons);

    m_ucStatus = new QStatusBar(this);
    m_ucStatus->setObjectName(QStringLiteral("ucStatus"));
    outer->addWidget(m_ucStatus);
    setStatus(IdleText);

    setMinimumWidth(460);
}

void SendEmailDialog::prepare()
{
    DialogLanguage::translate(*this, m_languages);
    m_txtSubject->setText(QStringLiteral("An Article from \"") + m_channelName + QLatin1Char('"'));
}

void SendEmailDialog::done(int result)
{
    if (m_isSending)
        return;
    QDialog::done(result);
}

void SendEmailDialog::sendClicked()
{
    if (!m_ctx.connection.isConnected()) {
        m_ctx.messages.warning(
            QStringLiteral("Working Offline?"),
            QStringLiteral("Application faled to access Internet connection on this machine. "
                           "Please make sure you're connected to Internet and try again ..."));
        return;
    }
    m_btnOK->setEnabled(false);
    m_btnCancel->setEnabled(false);
    sendItemEmail();
    m_btnOK->setEnabled(true);
    m_btnCancel->setEnabled(true);
}

void SendEmailDialog::sendItemEmail()
{
    const Settings::Email email = Settings::loadEmail(m_ctx);
    if (email.authenticate && !email.passwordProblem.isEmpty()) {
        // Sending without the password would only end in the server's refusal.
        onSendFailed(QStringLiteral("The password could not be read from the desktop's keyring: ")
                     + email.passwordProblem
                     + QStringLiteral("\r\nEnter it again under Email Settings."));
        return;
    }
    m_oSMTP = std::make_unique<SmtpSession>(m_ctx.clock);
    SmtpSession &smtp = *m_oSMTP;
    connectSession(smtp);
    smtp.setAsHTML(true);
    smtp.setRecipientSeparator(QStringLiteral(";"));
    smtp.setSMTPHost(email.server);
    smtp.setSMTPPort(email.port.trimmed().toInt());
    smtp.setConnectionSecurity(email.security);
    smtp.setUseAuthentication(email.authenticate);
    if (email.authenticate) {
        smtp.setUsername(email.user);
        smtp.setPassword(email.password);
    }
    smtp.setRecipient(m_txtTo->text());
    smtp.setFrom(email.fromAddress);
    smtp.setFromDisplayName(email.fromName);
    smtp.setSubject(m_txtSubject->text());
    smtp.setDate(m_ctx.clock.now());
    smtp.setMessage(composeBody(email.fromName));

    // The session answers through queued signals; the loop sleeps until one of the two final
    // ones has been handled, while the rest of the program keeps running.
    QEventLoop wait;
    connect(&smtp, &SmtpSession::sendSuccesful, &wait, &QEventLoop::quit);
    connect(&smtp, &SmtpSession::sendFailed, &wait, &QEventLoop::quit);
    m_isSending = true;
    smtp.send();
    while (m_isSending)
        wait.exec();
    m_oSMTP.reset();
}

QString SendEmailDialog::composeBody(const QString &fromName) const
{
    const QString tpl = Files::readText(m_ctx, m_ctx.appFolder + QStringLiteral("/email.tpl"));
    EmailBody::Parts parts;
    parts.fromName = fromName;
    parts.personalMessage = m_txtMessage->toPlainText();
    parts.title = m_feedTitle;
    parts.description = m_itemDescription;
    parts.link = m_itemLink;
    parts.completeDescription = m_optSend.at(0)->isChecked();
    return EmailBody::compose(tpl, parts);
}

void SendEmailDialog::connectSession(SmtpSession &session)
{
    connect(&session, &SmtpSession::progress, this, &SendEmailDialog::onProgress);
    connect(&session, &SmtpSession::status, this, &SendEmailDialog::setStatus);
    connect(&session, &SmtpSession::sendSuccesful, this, &SendEmailDialog::onSendSuccesful);
    connect(&session, &SmtpSession::sendFailed, this, &SendEmailDialog::onSendFailed);
}

void SendEmailDialog::setStatus(const QString &text)
{
    m_ucStatus->showMessage(text);
}

void SendEmailDialog::onProgress(int percent)
{
    setStatus(QStringLiteral("Sending ... (%1%)").arg(percent));
}

void SendEmailDialog::onSendSuccesful()
{
    m_ctx.messages.information(QStringLiteral("Done!"), QStringLiteral("Email Successfully Sent!"));
    m_isSending = false;
    setStatus(IdleText);
    m_txtTo->selectAll();
    m_txtTo->setFocus();
}

// The failure box has no title of its own and only an OK button; the message service has no
// icon-less box, so it carries the information icon.
void SendEmailDialog::onSendFailed(const QString &explanation)
{
    m_ctx.messages.show(platform::MessageIcon::Information, QString(),
                        QStringLiteral("Failed to Send Email due to following error: \r\n\r\n")
                            + explanation,
                        platform::MessageButtons::Ok);
    m_isSending = false;
    setStatus(QStringLiteral("Error: Failed to send Email!"));
}
