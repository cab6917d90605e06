#include "scheduler/ScheduleLog.h"

#include "common/Files.h"
#include "platform/Clock.h"
#include "platform/Context.h"
#include "platform/TextCodec.h"
#include "reading/FeedRefresh.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace Schedule {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");
constexpr int kHeaderRuleWidth = 70;

void appendToFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isFile() && info.size() > kScheduleLogLimit)
        QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(bytes);
}

} // namespace

QString scheduleLogPath(const platform::Context &ctx)
{
    return Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("schedule.log");
}

QString generalDateTime(const QDateTime &when, const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ')
        + timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
    return locale.toString(when, format);
}

ScheduleLog::ScheduleLog(const platform::Context &ctx, QLocale locale, LogObserver observer)
    : m_ctx(ctx)
    , m_locale(std::move(locale))
    , m_observer(std::move(observer))
{
}

void ScheduleLog::write(const QString &text, bool isStart, bool isFinish) const
{
    QString written;
    if (isStart) {
        written = QString(kHeaderRuleWidth, QLatin1Char('=')) + kLineEnd
            + QStringLiteral("Scheduled Check Started (")
            + generalDateTime(m_ctx.clock.now(), m_locale) + QLatin1Char(')') + kLineEnd + kLineEnd;
    } else if (isFinish) {
        written = QStringLiteral("Scheduled Check Finished (")
            + generalDateTime(m_ctx.clock.now(), m_locale) + QLatin1Char(')') + kLineEnd;
    } else {
        written = text;
    }
    appendToFile(scheduleLogPath(m_ctx), platform::toWindows1252(written + kLineEnd));
    if (m_observer)
        m_observer(written);
}

void ScheduleLog::writeLines(const QStringList &lines) const
{
    if (lines.isEmpty())
        return;
    appendToFile(scheduleLogPath(m_ctx), platform::toWindows1252(lines.join(kLineEnd) + kLineEnd));
    if (m_observer) {
        for (const QString &line : lines)
            m_observer(line);
    }
}

void writeScheduleLog(const platform::Context &ctx, const QString &text, bool isStart,
                      bool isFinish)
{
    ScheduleLog(ctx).write(text, isStart, isFinish);
}

} // namespace Schedule
