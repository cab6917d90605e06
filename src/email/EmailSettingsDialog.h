#pragma once

#include "settings/ConnectionSecurity.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class Languages;

namespace platform {
struct Context;
}

// "Email Server Settings": the outgoing mail server, how the connection to it is protected, and
// the sender identity that items are sent with (the email group of AppCfg.cfg). OK names the
// first required field that is blank and keeps the dialog open; a login over a connection
// without encryption is saved only once the user has agreed to it, which is asked once: not
// again while the stored settings already have it. Otherwise OK stores the values as typed and
// closes. Cancel changes nothing. The opener calls prepare() and then exec().
class EmailSettingsDialog final : public QDialog {
    Q_OBJECT
public:
    EmailSettingsDialog(const platform::Context &ctx, Languages &languages,
                        QWidget *parent = nullptr);

    // Translates the captions and fills the controls from the stored settings.
    void prepare();

private:
    // A text field that OK insists on, with the text that tells the user what belongs there.
    struct RequiredField {
        QLineEdit *field = nullptr;
        QString hint;
        bool onlyWithAuthentication = false;
    };

    void buildControls();
    QLineEdit *addField(QFormLayout *form, const char *labelName, const QString &caption,
                        const char *fieldName, QLabel **label = nullptr);
    void showAuthentication(bool required);
    [[nodiscard]] const RequiredField *firstMissingField() const;
    [[nodiscard]] ConnectionSecurity security() const;
    [[nodiscard]] bool plainLoginAgreed();
    void saveAndClose();

    const platform::Context &m_ctx;
    Languages &m_languages;

    QLineEdit *m_txtSMTP = nullptr;
    QLineEdit *m_txtPort = nullptr;
    QComboBox *m_cmbSecurity = nullptr;
    QCheckBox *m_chkAuth = nullptr;
    QLabel *m_lblUsername = nullptr;
    QLineEdit *m_txtUsername = nullptr;
    QLabel *m_lblPassword = nullptr;
    QLineEdit *m_txtPassword = nullptr;
    QLineEdit *m_txtFromName = nullptr;
    QLineEdit *m_txtFromEmail = nullptr;

    std::array<RequiredField, 6> m_required{}; // in the order OK looks at them
    bool m_storedPlainLogin = false;           // the stored settings log in without encryption
};
