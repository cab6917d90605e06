#include "reading/ItemStamp.h"

#include "reading/FeedItem.h"
#include "shell/mUtil.h"

namespace ItemStamp {

QString StampOf(const FeedItem &item, const QLocale &locale)
{
    QString stamp = item.Year + mUtil::MonthNumber(item.Month, locale) + item.Day + item.Time;
    return stamp.remove(QLatin1Char(':'));
}

bool IsNewerItem(QString &latest, const QString &stamp)
{
    if (mUtil::IsBlank(latest)) {
        latest = stamp;
        return true;
    }
    bool stampIsNumber = false;
    bool latestIsNumber = false;
    const double stampValue = stamp.trimmed().toDouble(&stampIsNumber);
    const double latestValue = latest.trimmed().toDouble(&latestIsNumber);
    if (stampIsNumber && latestIsNumber && stampValue <= latestValue)
        return false;
    latest = stamp;
    return true;
}

} // namespace ItemStamp
