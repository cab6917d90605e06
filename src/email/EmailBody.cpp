#include "email/EmailBody.h"

#include <QRegularExpression>

namespace EmailBody {
namespace {

const QString CrLf = QStringLiteral("\r\n");

// Also escapes the single quote: the link sits in a single-quoted attribute.
QString Escaped(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QStringLiteral("&#39;"));
}

} // namespace

QString PersonalMessageHtml(const QString &message)
{
    if (message.trimmed().isEmpty())
        return QStringLiteral("- None -");
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return Escaped(message).replace(lineBreak, CrLf + QStringLiteral("<br>") + CrLf);
}

QString LinkParagraph(const QString &link)
{
    const QString address = Escaped(link);
    return QStringLiteral("View Online: <a href='") + address + QStringLiteral("'>") + address +
           QStringLiteral("</a>");
}

QString Disclaimer()
{
    return QStringLiteral(
        "<p><font face='Verdana' size='1' color='#666666'><center>:: <u>Disclaimer</u> :: <br>"
        "This Email is manually sent using Marlowin. In case of dispute, please contact Sender "
        "directly.</center></font></p><hr size='1' color='#666666'>");
}

QString Compose(const QString &tpl, const Parts &parts)
{
    QString body = tpl;
    body.replace(QStringLiteral("[[from_name]]"), Escaped(parts.fromName));
    body.replace(QStringLiteral("[[personal_message]]"), PersonalMessageHtml(parts.personalMessage));
    body.replace(QStringLiteral("[[title]]"), Escaped(parts.title));
    body.replace(QStringLiteral("[[description]]"),
                 parts.completeDescription ? parts.description : LinkParagraph(parts.link));
    return body + CrLf + Disclaimer();
}

} // namespace EmailBody
