#include "settings/mSettings.h"

#include "common/ErrorReport.h"
#include "common/Files.h"
#include "common/Scramble.h"
#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "settings/mINI.h"

#include <QSet>

#include <optional>

namespace mSettings {

QString SmtpServer;
QString SmtpPort;
qint16 SmtpAuth = 0;
QString SmtpUser;
QString SmtpPassword;
QString FromName;
QString FromEmail;

qint16 StartWithWindows = 0;
qint16 CloseCompletely = 0;
qint16 MinimizeToTray = 0;
bool ConfirmOnClose = false;
bool CloseOnRequest = false;

qint16 SchedulerEnabled = 0;
qint16 IntervalIndex = 0;
qint16 ShowPopup = 0;
qint16 PlayPopupSound = 0;
QString SoundFile;
QList<FeedRecord> ScheduleList;

namespace {

constexpr qint32 kBufferSize = 5000;

const QString kEmail = QStringLiteral("email");
const QString kApp = QStringLiteral("app");

// The stored (scrambled) default of the au key; it unscrambles to "0".
const QString kStoredAuthDefault = QStringLiteral("6330");

void OpenConfig(const platform::Context &ctx)
{
    mINI::InitIni(ConfigPath(ctx), kBufferSize);
}

// The key read as a number; a default that is itself no number gives 0.
qint16 ReadInteger(const QString &section, const QString &key, const QString &defaultValue)
{
    bool ok = false;
    const qint16 value = mINI::ReadIniValue(section, key, defaultValue).trimmed().toShort(&ok);
    if (ok)
        return value;
    return defaultValue.trimmed().toShort();
}

QString Unscrambled(const QString &stored, const QString &storedDefault)
{
    bool ok = true;
    const QString text = Scramble::unscramble(stored, &ok);
    if (ok)
        return text;
    return Scramble::unscramble(storedDefault);
}

QString ReadEmailValue(const QString &key, const QString &storedDefault = {})
{
    return Unscrambled(mINI::ReadIniValue(kEmail, key, storedDefault), storedDefault);
}

qint16 ReadEmailInteger(const QString &key, const QString &storedDefault)
{
    bool ok = false;
    const qint16 value = ReadEmailValue(key, storedDefault).trimmed().toShort(&ok);
    if (ok)
        return value;
    return Scramble::unscramble(storedDefault).trimmed().toShort();
}

void WriteEmailValue(const QString &key, const QString &value)
{
    mINI::WriteIniValue(kEmail, key, Scramble::scramble(value));
}

} // namespace

QString ConfigPath(const platform::Context &ctx)
{
    return Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("AppCfg.cfg");
}

void SaveEmailSettings(const platform::Context &ctx, bool showMessage)
{
    OpenConfig(ctx);
    WriteEmailValue(QStringLiteral("sv"), SmtpServer);
    WriteEmailValue(QStringLiteral("po"), SmtpPort);
    WriteEmailValue(QStringLiteral("au"), QString::number(SmtpAuth));
    WriteEmailValue(QStringLiteral("us"), SmtpUser);
    WriteEmailValue(QStringLiteral("pw"), SmtpPassword);
    WriteEmailValue(QStringLiteral("fn"), FromName);
    WriteEmailValue(QStringLiteral("fe"), FromEmail);
    if (showMessage)
        ctx.messages.information(QStringLiteral("Done!"),
                                 QStringLiteral("Email Settings are Successfully Saved!"));
}

void LoadEmailSettings(const platform::Context &ctx)
{
    OpenConfig(ctx);
    SmtpServer = ReadEmailValue(QStringLiteral("sv"));
    SmtpPort = ReadEmailValue(QStringLiteral("po"));
    SmtpAuth = ReadEmailInteger(QStringLiteral("au"), kStoredAuthDefault);
    SmtpUser = ReadEmailValue(QStringLiteral("us"));
    SmtpPassword = ReadEmailValue(QStringLiteral("pw"));
    FromName = ReadEmailValue(QStringLiteral("fn"));
    FromEmail = ReadEmailValue(QStringLiteral("fe"));
}

void SaveAppSettings(const platform::Context &ctx, bool showMessage)
{
    OpenConfig(ctx);
    mINI::WriteIniValue(kApp, QStringLiteral("autos"), StartWithWindows);
    mINI::WriteIniValue(kApp, QStringLiteral("close"), CloseCompletely);
    mINI::WriteIniValue(kApp, QStringLiteral("mins"), MinimizeToTray);
    if (showMessage)
        ctx.messages.information(
            QStringLiteral("Done!"),
            QStringLiteral(
                "Application Settings successfully saved to Application Configuration File."));
}

void LoadAppSettings(const platform::Context &ctx)
{
    OpenConfig(ctx);
    StartWithWindows = ReadInteger(kApp, QStringLiteral("autos"), QStringLiteral("0"));
    CloseCompletely = ReadInteger(kApp, QStringLiteral("close"), QStringLiteral("0"));
    MinimizeToTray = ReadInteger(kApp, QStringLiteral("mins"), QStringLiteral("1"));
}

bool ReadConfirm(const platform::Context &ctx)
{
    OpenConfig(ctx);
    ConfirmOnClose = ReadInteger(kApp, QStringLiteral("confirm"), QStringLiteral("1")) == 1;
    return ConfirmOnClose;
}

void WriteConfirm(const platform::Context &ctx, bool value)
{
    OpenConfig(ctx);
    mINI::WriteIniValue(kApp, QStringLiteral("confirm"), value);
    ConfirmOnClose = value;
}

bool ReadClose(const platform::Context &ctx)
{
    OpenConfig(ctx);
    CloseOnRequest = ReadInteger(kApp, QStringLiteral("close"), QStringLiteral("1")) == 1;
    return CloseOnRequest;
}

namespace {

const QString kSchedule = QStringLiteral("schdl");
const QString kScheduleOperation = QStringLiteral("LoadSchedulerSettings");
constexpr QChar kFieldSeparator{0x05};

QString EntryKey(qsizetype number)
{
    return QStringLiteral("s_") + QString::number(number);
}

// Key names are matched without regard to case, as mINI matches them.
QString KeyIdentity(const QString &key)
{
    return key.toCaseFolded();
}

// The key names present in the section; empty when the section is missing or has no keys (mINI
// then gives a buffer of NULs, which yields no names here).
QSet<QString> SectionKeys(const QString &section)
{
    QSet<QString> keys;
    const QStringList names = mINI::ReadIniSection(section).split(QChar(0), Qt::SkipEmptyParts);
    for (const QString &name : names)
        keys.insert(KeyIdentity(name));
    return keys;
}

// "<type>\x05<id>\x05<url>\x05<name>". A separator inside a field is not escaped: it shifts the
// fields when the entry is read back.
QString EntryText(const FeedRecord &feed)
{
    return QString::number(feed.FeedType) + kFieldSeparator + feed.ID + kFieldSeparator + feed.URL
        + kFieldSeparator + feed.Name;
}

// The entry stored under key, or nullopt with the reason in problem. Fields after the fourth are
// ignored; Category is not stored and stays empty.
std::optional<FeedRecord> ParseEntry(const QString &key, const QString &text, QString &problem)
{
    const QStringList fields = text.split(kFieldSeparator);
    if (fields.size() < 4) {
        problem = QStringLiteral("Schedule entry %1 has %2 of the 4 fields it needs.")
                      .arg(key)
                      .arg(fields.size());
        return std::nullopt;
    }
    bool ok = false;
    FeedRecord feed;
    feed.FeedType = fields[0].trimmed().toShort(&ok);
    if (!ok) {
        problem = QStringLiteral("Schedule entry %1 has the feed type \"%2\", which is no number.")
                      .arg(key, fields[0]);
        return std::nullopt;
    }
    feed.ID = fields[1];
    feed.URL = fields[2];
    feed.Name = fields[3];
    return feed;
}

// Appends s_1, s_2, ... up to the first missing key. False, after the error box, at an entry
// that does not parse; the entries before it stay in the list.
bool LoadScheduleList(const platform::Context &ctx, const QSet<QString> &keys)
{
    for (qsizetype number = 1; keys.contains(KeyIdentity(EntryKey(number))); ++number) {
        const QString key = EntryKey(number);
        QString problem;
        const std::optional<FeedRecord> feed =
            ParseEntry(key, mINI::ReadIniValue(kSchedule, key, QString()), problem);
        if (!feed) {
            ErrorReport::show(ctx, kScheduleOperation, 0, problem);
            return false;
        }
        ScheduleList.append(*feed);
    }
    return true;
}

} // namespace

ScheduledCheckSettings ReadScheduledCheckSettings(const platform::Context &ctx)
{
    OpenConfig(ctx);
    ScheduledCheckSettings settings;
    settings.showPopup = ReadInteger(kSchedule, QStringLiteral("alr"), QStringLiteral("1")) == 1;
    settings.playPopupSound = ReadInteger(kSchedule, QStringLiteral("snd"), QStringLiteral("0")) == 1;
    settings.soundFile = mINI::ReadIniValue(kSchedule, QStringLiteral("sfl"),
                                            Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("notify.wav"));
    const QSet<QString> keys = SectionKeys(kSchedule);
    for (qsizetype number = 1; keys.contains(KeyIdentity(EntryKey(number))); ++number) {
        ScheduleEntry entry;
        entry.key = EntryKey(number);
        entry.feed = ParseEntry(entry.key, mINI::ReadIniValue(kSchedule, entry.key, QString()), entry.problem);
        settings.schedule.append(entry);
    }
    return settings;
}

bool CorrectScheduledFeedType(const platform::Context &ctx, const QString &feedId, qint16 type)
{
    OpenConfig(ctx);
    const QSet<QString> keys = SectionKeys(kSchedule);
    bool corrected = false;
    for (qsizetype number = 1; keys.contains(KeyIdentity(EntryKey(number))); ++number) {
        const QString key = EntryKey(number);
        const QString text = mINI::ReadIniValue(kSchedule, key, QString());
        QString problem;
        std::optional<FeedRecord> feed = ParseEntry(key, text, problem);
        if (!feed || feed->ID != feedId || feed->FeedType == type)
            continue;
        // Only the type field changes: the rest of the entry is written back as it was read.
        QStringList fields = text.split(kFieldSeparator);
        fields[0] = QString::number(type);
        mINI::WriteIniValue(kSchedule, key, fields.join(kFieldSeparator));
        corrected = true;
    }
    return corrected;
}

void SaveSchedulerSettings(const platform::Context &ctx, bool showMessage,
                           const std::function<void()> &enableSchedule)
{
    OpenConfig(ctx);
    // The section is rewritten whole, so entries removed from the list leave no keys behind.
    mINI::DeleteIniSection(kSchedule);
    mINI::WriteIniValue(kSchedule, QStringLiteral("ena"), SchedulerEnabled);
    mINI::WriteIniValue(kSchedule, QStringLiteral("frq"), IntervalIndex);
    mINI::WriteIniValue(kSchedule, QStringLiteral("alr"), ShowPopup);
    mINI::WriteIniValue(kSchedule, QStringLiteral("snd"), PlayPopupSound);
    mINI::WriteIniValue(kSchedule, QStringLiteral("sfl"), SoundFile);
    for (qsizetype i = 0; i < ScheduleList.size(); ++i)
        mINI::WriteIniValue(kSchedule, EntryKey(i + 1), EntryText(ScheduleList[i]));
    if (showMessage)
        ctx.messages.information(
            QStringLiteral("Done!"),
            QStringLiteral(
                "Scheduler Settings are Successfully saved to Application Configuration file!"));
    if (enableSchedule)
        enableSchedule();
}

bool LoadSchedulerSettings(const platform::Context &ctx, bool loadList)
{
    ScheduleList.clear();
    OpenConfig(ctx);
    SchedulerEnabled = ReadInteger(kSchedule, QStringLiteral("ena"), QStringLiteral("0"));
    IntervalIndex = ReadInteger(kSchedule, QStringLiteral("frq"), QStringLiteral("-1"));
    ShowPopup = ReadInteger(kSchedule, QStringLiteral("alr"), QStringLiteral("1"));
    PlayPopupSound = ReadInteger(kSchedule, QStringLiteral("snd"), QStringLiteral("0"));
    SoundFile = mINI::ReadIniValue(kSchedule, QStringLiteral("sfl"),
                                   Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("notify.wav"));
    if (!loadList)
        return true;
    const QSet<QString> keys = SectionKeys(kSchedule);
    if (keys.isEmpty())
        return false;
    return LoadScheduleList(ctx, keys);
}

} // namespace mSettings
