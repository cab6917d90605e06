#include "reading/PreviewPage.h"

#include "common/Text.h"
#include "reading/FeedItem.h"
#include "reading/LongRuns.h"

#include <QUrl>

#include <utility>

namespace PreviewPage {

namespace {

QString shownTitle(const QString &title)
{
    if (title.size() <= kTitleLength)
        return title;
    return LongRuns::safeLeft(title, kTitleLength).toString() + LongRuns::kEllipsis;
}

} // namespace

QString fill(const QString &tpl, const FeedItem &item)
{
    QString description = item.description;
    description.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const QString date = item.day + u' ' + item.month + u' ' + item.year;

    QString page = tpl;
    page.replace(QLatin1String("[[title]]"), shownTitle(item.title).toHtmlEscaped());
    page.replace(QLatin1String("[[link]]"), itemAddress(item).toHtmlEscaped());
    page.replace(QLatin1String("[[app]]"), QLatin1String("Marlowin"));
    page.replace(QLatin1String("[[desc]]"), description);
    page.replace(QLatin1String("[[date]]"), date);
    page.replace(QLatin1String("[[time]]"), item.time);
    return page;
}

QString itemAddress(const FeedItem &item)
{
    return Text::isBlank(item.media) ? item.link : item.media;
}

bool isWebAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http" || scheme == u"https");
}

namespace {

// The position just past the '>' that closes the tag starting at from; quoted attribute values
// may hold a '>'. -1 when the tag never closes.
qsizetype tagEnd(const QString &page, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from; i < page.size(); ++i) {
        const QChar c = page.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return -1;
}

// The first "<body" that is a whole tag name (not "<bodyx"), or -1.
qsizetype bodyTagStart(const QString &page)
{
    const QLatin1String open("<body");
    for (qsizetype at = page.indexOf(open, 0, Qt::CaseInsensitive); at >= 0;
         at = page.indexOf(open, at + 1, Qt::CaseInsensitive)) {
        const qsizetype next = at + open.size();
        if (next == page.size())
            return at;
        const QChar c = page.at(next);
        if (c == u'>' || c == u'/' || c.isSpace())
            return at;
    }
    return -1;
}

} // namespace

QString bodyInnerHtml(const QString &page)
{
    const qsizetype tag = bodyTagStart(page);
    if (tag < 0)
        return page;
    const qsizetype start = tagEnd(page, tag);
    if (start < 0)
        return QString();
    qsizetype end = page.lastIndexOf(QLatin1String("</body"), -1, Qt::CaseInsensitive);
    if (end < start)
        end = page.size();
    return page.sliced(start, end - start);
}

std::optional<QByteArray> dataUrlBytes(const QUrl &url)
{
    if (url.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QByteArray content = url.path(QUrl::FullyEncoded).toUtf8();
    const qsizetype comma = content.indexOf(',');
    if (comma < 0)
        return std::nullopt;
    const QByteArray payload = QByteArray::fromPercentEncoding(content.sliced(comma + 1));
    if (!content.first(comma).toLower().endsWith(";base64"))
        return payload;
    auto decoded = QByteArray::fromBase64Encoding(payload, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return std::move(decoded.decoded);
}

} // namespace PreviewPage
