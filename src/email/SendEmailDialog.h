#pragma once

#include <QDialog>

#include <array>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class SmtpSession;
class Languages;

namespace platform {
struct Context;
}

// "Send Email": sends one feed item as an HTML mail to the recipients typed in txtTo, with an
// optional personal message and either the item's link or its whole description. The opener
// sets the four item properties, calls prepare() and then exec(). The dialog stays open after a
// send, so that the same item can go to someone else; while a message is on its way, OK and
// Cancel are disabled and the dialog does not close.
class SendEmailDialog final : public QDialog {
    Q_OBJECT
public:
    SendEmailDialog(const platform::Context &ctx, Languages &languages, QWidget *parent = nullptr);
    ~SendEmailDialog() override;

    [[nodiscard]] const QString &channelName() const { return m_channelName; }
    void setChannelName(const QString &name) { m_channelName = name; }
    [[nodiscard]] const QString &feedTitle() const { return m_feedTitle; }
    void setFeedTitle(const QString &title) { m_feedTitle = title; }
    [[nodiscard]] const QString &itemLink() const { return m_itemLink; }
    void setItemLink(const QString &link) { m_itemLink = link; }
    [[nodiscard]] const QString &itemDescription() const { return m_itemDescription; }
    void setItemDescription(const QString &description) { m_itemDescription = description; }

    // Translates the captions and fills the subject from channelName.
    void prepare();

    // Refused while a message is being sent.
    void done(int result) override;

private:
    void buildControls();
    void sendClicked();
    void sendItemEmail();
    [[nodiscard]] QString composeBody(const QString &fromName) const;
    void connectSession(SmtpSession &session);
    void setStatus(const QString &text);

    void onProgress(int percent);
    void onSendSuccesful();
    void onSendFailed(const QString &explanation);

    const platform::Context &m_ctx;
    Languages &m_languages;

    QString m_channelName;
    QString m_feedTitle;
    QString m_itemLink;
    QString m_itemDescription;

    QLineEdit *m_txtTo = nullptr;
    QLineEdit *m_txtSubject = nullptr;
    QPlainTextEdit *m_txtMessage = nullptr;
    std::array<QRadioButton *, 2> m_optSend{}; // 0 the complete description, 1 the link only
    QPushButton *m_btnOK = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QStatusBar *m_ucStatus = nullptr;

    std::unique_ptr<SmtpSession> m_oSMTP; // only while a message is on its way
    bool m_isSending = false;
};
