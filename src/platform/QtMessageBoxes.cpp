#include "platform/QtMessageBoxes.h"

#include <QMessageBox>

namespace platform {
namespace {

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageAnswer fromQt(int button, MessageButtons offered)
{
    switch (button) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return safeAnswer(offered); // closed with Escape or the window's close box
    }
}

} // namespace

MessageAnswer QtMessageBoxes::show(MessageIcon icon, const QString &title, const QString &text,
                                   MessageButtons buttons)
{
    QMessageBox box(toQt(icon), title, text, toQt(buttons), m_owner);
    box.setTextFormat(Qt::PlainText);
    if (buttons == MessageButtons::RetryCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    return fromQt(box.exec(), buttons);
}

} // namespace platform
