#include "email/EmailBody.h"

#include <QRegularExpression>

namespace EmailBody {
namespace {

const QString CrLf = QStringLiteral("\r\n");

// Also escapes the single quote: the link sits in a single-quoted attribute.
QString escaped(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QStringLiteral("&#39;"));
}

} // namespace

QString personalMessageHtml(const QString &message)
{
    if (message.trimmed().isEmpty())
        return QStringLiteral("- None -");
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return escaped(message).replace(lineBreak, CrLf + QStringLiteral("<br>") + CrLf);
}

QString linkParagraph(const QString &link)
{
    const QString address = escaped(link);
    return QStringLiteral("View Online: <a href='") + address + QStringLiteral("'>") + address
        + QStringLiteral("</a>");
}

QString disclaimer()
{
    return QStringLiteral(
        "<p><font face='Verdana' size='1' color='#666666'><center>:: <u>Disclaimer</u> :: <br>"
        "This Email is manually sent using Marlowin. In case of dispute, please contact Sender "
        "directly.</center></font></p><hr size='1' color='#666666'>");
}

QString compose(const QString &tpl, const Parts &parts)
{
    QString body = tpl;
    body.replace(QStringLiteral("[[from_name]]"), escaped(parts.fromName));
    body.replace(QStringLiteral("[[personal_message]]"),
                 personalMessageHtml(parts.personalMessage));
    body.replace(QStringLiteral("[[title]]"), escaped(parts.title));
    body.replace(QStringLiteral("[[description]]"),
                 parts.completeDescription ? parts.description : linkParagraph(parts.link));
    return body + CrLf + disclaimer();
}

} // namespace EmailBody
