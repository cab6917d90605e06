#include "email/EmailSettingsDialog.h"

#include "common/Text.h"
#include "localization/DialogLanguage.h"
#include "localization/Languages.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

namespace {

// Keeps the digits 0 to 9 of whatever reaches the port field and drops every other character,
// whether it was typed, pasted or dropped, so the field never holds more than a port number.
class DigitsOnly final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        QString digits;
        digits.reserve(input.size());
        int cursor = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input.at(i);
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                digits += c;
            else if (i < pos)
                --cursor;
        }
        input = digits;
        pos = cursor;
        return Acceptable;
    }
};

} // namespace

EmailSettingsDialog::EmailSettingsDialog(const platform::Context &ctx, Languages &languages,
                                         QWidget *parent)
    : QDialog(parent)
    , m_ctx(ctx)
    , m_languages(languages)
{
    setObjectName(QStringLiteral("frmEmailSettings"));
    setWindowTitle(QStringLiteral("Email Server Settings ... "));
    buildControls();

    m_required = {{
        {m_txtFromEmail,
         QStringLiteral("Please specify \"From Email\". Recipients will send Reply to this Email "
                        "address. Make sure that Email address you specify here is allowed to pass "
                        "through specified SMTP Server."),
         false},
        {m_txtFromName,
         QStringLiteral("Please specify \"From Name\". This will appear in Recipients' Inbox as "
                        "\"Email Sender's Name\"."),
         false},
        {m_txtPassword,
         QStringLiteral("Please specify Password to Authenticate your SMTP Email account. This is "
                        "the same Password that you use to check your Email Inbox online."),
         true},
        {m_txtUsername,
         QStringLiteral("Please specify User Name to Authenticate your SMTP Email account. This is "
                        "the same User name that you use to check your Email Inbox online."),
         true},
        {m_txtPort, QStringLiteral("Please specify SMTP Port Number. (Default = 25)."), false},
        {m_txtSMTP, QStringLiteral("Please specify SMTP Email Server Name."), false},
    }};
    for (const RequiredField &required : m_required)
        required.field->setToolTip(required.hint);
}

void EmailSettingsDialog::buildControls()
{
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);

    m_txtSMTP = addField(form, "lblSMTP", QStringLiteral("SMTP Server:"), "txtSMTP");

    // A port number needs a third of the width; the rest of the row stays empty.
    m_txtPort = new QLineEdit(this);
    m_txtPort->setObjectName(QStringLiteral("txtPort"));
    m_txtPort->setValidator(new DigitsOnly(m_txtPort));
    m_txtPort->setInputMethodHints(Qt::ImhDigitsOnly);
    auto *lblPort = new QLabel(QStringLiteral("Port:"), this);
    lblPort->setObjectName(QStringLiteral("lblPort"));
    lblPort->setBuddy(m_txtPort);
    auto *portRow = new QHBoxLayout;
    portRow->addWidget(m_txtPort, 1);
    portRow->addStretch(2);
    form->addRow(lblPort, portRow);

    m_cmbSecurity = new QComboBox(this);
    m_cmbSecurity->setObjectName(QStringLiteral("cmbSecurity"));
    m_cmbSecurity->addItem(QStringLiteral("STARTTLS"), int(ConnectionSecurity::StartTls));
    m_cmbSecurity->addItem(QStringLiteral("SSL/TLS"), int(ConnectionSecurity::Tls));
    m_cmbSecurity->addItem(QStringLiteral("None"), int(ConnectionSecurity::None));
    auto *lblSecurity = new QLabel(QStringLiteral("Connection security:"), this);
    lblSecurity->setObjectName(QStringLiteral("lblSecurity"));
    lblSecurity->setBuddy(m_cmbSecurity);
    form->addRow(lblSecurity, m_cmbSecurity);

    m_chkAuth = new QCheckBox(QStringLiteral("My Server Requires Authentication."), this);
    m_chkAuth->setObjectName(QStringLiteral("chkAuth"));
    form->addRow(QString(), m_chkAuth);
    connect(m_chkAuth, &QCheckBox::toggled, this, &EmailSettingsDialog::showAuthentication);

    m_txtUsername = addField(form, "lblUsername", QStringLiteral("User Name:"), "txtUsername",
                             &m_lblUsername);
    m_txtPassword
        = addField(form, "lblPassword", QStringLiteral("Password:"), "txtPassword", &m_lblPassword);
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_txtFromName = addField(form, "lblFromName", QStringLiteral("From-Name:"), "txtFromName");
    m_txtFromEmail = addField(form, "lblFromEmail", QStringLiteral("From-Email:"), "txtFromEmail");
    m_txtFromEmail->setInputMethodHints(Qt::ImhEmailCharactersOnly);
    showAuthentication(false);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    DialogLanguage::nameStandardButton(buttons->button(QDialogButtonBox::Ok), "btnOK");
    DialogLanguage::nameStandardButton(buttons->button(QDialogButtonBox::Cancel), "btnCancel");
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &EmailSettingsDialog::saveAndClose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

QLineEdit *EmailSettingsDialog::addField(QFormLayout *form, const char *labelName,
                                         const QString &caption, const char *fieldName,
                                         QLabel **label)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(QString::fromLatin1(fieldName));
    auto *fieldLabel = new QLabel(caption, this);
    fieldLabel->setObjectName(QString::fromLatin1(labelName));
    fieldLabel->setBuddy(field);
    form->addRow(fieldLabel, field);
    if (label)
        *label = fieldLabel;
    return field;
}

void EmailSettingsDialog::prepare()
{
    DialogLanguage::translate(*this, m_languages);

    const Settings::Email email = Settings::loadEmail(m_ctx);
    m_txtSMTP->setText(email.server);
    m_txtPort->setText(email.port);
    m_cmbSecurity->setCurrentIndex(m_cmbSecurity->findData(int(email.security)));
    m_storedPlainLogin = email.security == ConnectionSecurity::None && email.authenticate;
    m_chkAuth->setChecked(email.authenticate);
    m_txtUsername->setText(email.user);
    m_txtPassword->setText(email.password);
    m_txtFromName->setText(email.fromName);
    m_txtFromEmail->setText(email.fromAddress);
    // The box may keep the state it had, and then no toggle reaches the fields.
    showAuthentication(m_chkAuth->isChecked());
}

void EmailSettingsDialog::showAuthentication(bool required)
{
    m_lblUsername->setEnabled(required);
    m_txtUsername->setEnabled(required);
    m_lblPassword->setEnabled(required);
    m_txtPassword->setEnabled(required);
}

const EmailSettingsDialog::RequiredField *EmailSettingsDialog::firstMissingField() const
{
    const bool authenticating = m_chkAuth->isChecked();
    for (const RequiredField &required : m_required) {
        if (required.onlyWithAuthentication && !authenticating)
            continue;
        if (Text::isBlank(required.field->text()))
            return &required;
    }
    return nullptr;
}

ConnectionSecurity EmailSettingsDialog::security() const
{
    return static_cast<ConnectionSecurity>(m_cmbSecurity->currentData().toInt());
}

// True unless the settings would now send the password in clear and the user does not want it.
bool EmailSettingsDialog::plainLoginAgreed()
{
    if (security() != ConnectionSecurity::None || !m_chkAuth->isChecked() || m_storedPlainLogin)
        return true;
    return m_ctx.messages.show(
               platform::MessageIcon::Warning, QStringLiteral("Password Sent Unencrypted!"),
               QStringLiteral(
                   "With Connection security \"None\", your user name and password travel to "
                   "the mail server unencrypted: anyone on a network between can read them and "
                   "use your mail account.\r\n\r\nUse \"None\" only for a server you reach "
                   "over a network you trust. Save these settings anyway?"),
               platform::MessageButtons::YesNo)
        == platform::MessageAnswer::Yes;
}

void EmailSettingsDialog::saveAndClose()
{
    if (const RequiredField *missing = firstMissingField()) {
        m_ctx.messages.warning(QStringLiteral("Required Field is Empty!"), missing->hint);
        missing->field->setFocus();
        return;
    }
    if (!plainLoginAgreed()) {
        m_cmbSecurity->setFocus();
        return;
    }
    Settings::Email email;
    email.server = m_txtSMTP->text();
    email.port = m_txtPort->text();
    email.security = security();
    email.authenticate = m_chkAuth->isChecked();
    email.user = m_txtUsername->text();
    email.password = m_txtPassword->text();
    email.fromName = m_txtFromName->text();
    email.fromAddress = m_txtFromEmail->text();
    Settings::saveEmail(m_ctx, email);
    m_ctx.messages.information(QStringLiteral("Done!"),
                               QStringLiteral("Email Settings are Successfully Saved!"));
    accept();
}
