#include "settings/Settings.h"

#include "common/Files.h"
#include "common/Scramble.h"
#include "platform/Context.h"
#include "settings/IniFile.h"

#include <QSet>
#include <QStringList>

namespace Settings {
namespace {

constexpr qint32 kBufferSize = 5000;

const QString kEmail = QStringLiteral("email");
const QString kApp = QStringLiteral("app");
const QString kSchedule = QStringLiteral("schdl");
constexpr QChar kFieldSeparator{0x05};

// The stored (scrambled) default of the au key; it unscrambles to "0".
const QString kStoredAuthDefault = QStringLiteral("6330");

IniFile Config(const platform::Context &ctx)
{
    return IniFile(configPath(ctx), kBufferSize);
}

// The key read as a number; a default that is itself no number gives 0.
int ReadInteger(const IniFile &ini, const QString &section, const QString &key,
                const QString &defaultValue)
{
    bool ok = false;
    const qint16 value = ini.read(section, key, defaultValue).trimmed().toShort(&ok);
    if (ok)
        return value;
    return defaultValue.trimmed().toShort();
}

QString ReadEmailValue(const IniFile &ini, const QString &key, const QString &storedDefault = {})
{
    bool ok = true;
    const QString text = Scramble::unscramble(ini.read(kEmail, key, storedDefault), &ok);
    return ok ? text : Scramble::unscramble(storedDefault);
}

int ReadEmailInteger(const IniFile &ini, const QString &key, const QString &storedDefault)
{
    bool ok = false;
    const qint16 value = ReadEmailValue(ini, key, storedDefault).trimmed().toShort(&ok);
    if (ok)
        return value;
    return Scramble::unscramble(storedDefault).trimmed().toShort();
}

void WriteEmailValue(const IniFile &ini, const QString &key, const QString &value)
{
    ini.write(kEmail, key, Scramble::scramble(value));
}

QString EntryKey(qsizetype number)
{
    return QStringLiteral("s_") + QString::number(number);
}

// Key names are matched without regard to case, as the file's reader matches them.
QString KeyIdentity(const QString &key)
{
    return key.toCaseFolded();
}

// The key names present in the section; empty when the section is missing or has no keys (the
// reader then gives a buffer of NULs, which yields no names here).
QSet<QString> SectionKeys(const IniFile &ini, const QString &section)
{
    QSet<QString> keys;
    const QStringList names = ini.readSection(section).split(QChar(0), Qt::SkipEmptyParts);
    for (const QString &name : names)
        keys.insert(KeyIdentity(name));
    return keys;
}

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

QString DefaultSoundFile(const platform::Context &ctx)
{
    return Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("notify.wav");
}

} // namespace

QString configPath(const platform::Context &ctx)
{
    return Files::withTrailingSlash(ctx.appFolder) + QStringLiteral("AppCfg.cfg");
}

Email loadEmail(const platform::Context &ctx)
{
    const IniFile ini = Config(ctx);
    Email email;
    email.server = ReadEmailValue(ini, QStringLiteral("sv"));
    email.port = ReadEmailValue(ini, QStringLiteral("po"));
    email.authenticate = ReadEmailInteger(ini, QStringLiteral("au"), kStoredAuthDefault) == 1;
    email.user = ReadEmailValue(ini, QStringLiteral("us"));
    email.password = ReadEmailValue(ini, QStringLiteral("pw"));
    email.fromName = ReadEmailValue(ini, QStringLiteral("fn"));
    email.fromAddress = ReadEmailValue(ini, QStringLiteral("fe"));
    return email;
}

void saveEmail(const platform::Context &ctx, const Email &email)
{
    const IniFile ini = Config(ctx);
    WriteEmailValue(ini, QStringLiteral("sv"), email.server);
    WriteEmailValue(ini, QStringLiteral("po"), email.port);
    WriteEmailValue(ini, QStringLiteral("au"), email.authenticate ? QStringLiteral("1") : QStringLiteral("0"));
    WriteEmailValue(ini, QStringLiteral("us"), email.user);
    WriteEmailValue(ini, QStringLiteral("pw"), email.password);
    WriteEmailValue(ini, QStringLiteral("fn"), email.fromName);
    WriteEmailValue(ini, QStringLiteral("fe"), email.fromAddress);
}

Closing loadClosing(const platform::Context &ctx)
{
    const IniFile ini = Config(ctx);
    Closing closing;
    closing.startWithDesktop = ReadInteger(ini, kApp, QStringLiteral("autos"), QStringLiteral("0")) == 1;
    closing.closeCompletely = ReadInteger(ini, kApp, QStringLiteral("close"), QStringLiteral("0")) == 1;
    closing.minimizeToTray = ReadInteger(ini, kApp, QStringLiteral("mins"), QStringLiteral("1")) == 1;
    return closing;
}

void saveClosing(const platform::Context &ctx, const Closing &closing)
{
    const IniFile ini = Config(ctx);
    ini.write(kApp, QStringLiteral("autos"), closing.startWithDesktop);
    ini.write(kApp, QStringLiteral("close"), closing.closeCompletely);
    ini.write(kApp, QStringLiteral("mins"), closing.minimizeToTray);
}

bool loadConfirmOnClose(const platform::Context &ctx)
{
    return ReadInteger(Config(ctx), kApp, QStringLiteral("confirm"), QStringLiteral("1")) == 1;
}

void saveConfirmOnClose(const platform::Context &ctx, bool confirm)
{
    Config(ctx).write(kApp, QStringLiteral("confirm"), confirm);
}

QList<FeedRecord> Scheduler::feedsBeforeProblem() const
{
    QList<FeedRecord> feeds;
    for (const ScheduleEntry &entry : schedule) {
        if (!entry.feed)
            break;
        feeds.append(*entry.feed);
    }
    return feeds;
}

const ScheduleEntry *Scheduler::firstProblem() const
{
    for (const ScheduleEntry &entry : schedule) {
        if (!entry.feed)
            return &entry;
    }
    return nullptr;
}

Scheduler loadScheduler(const platform::Context &ctx)
{
    const IniFile ini = Config(ctx);
    Scheduler scheduler;
    scheduler.enabled = ReadInteger(ini, kSchedule, QStringLiteral("ena"), QStringLiteral("0")) == 1;
    scheduler.intervalIndex = ReadInteger(ini, kSchedule, QStringLiteral("frq"), QStringLiteral("-1"));
    scheduler.showPopup = ReadInteger(ini, kSchedule, QStringLiteral("alr"), QStringLiteral("1")) == 1;
    scheduler.playPopupSound = ReadInteger(ini, kSchedule, QStringLiteral("snd"), QStringLiteral("0")) == 1;
    scheduler.soundFile = ini.read(kSchedule, QStringLiteral("sfl"), DefaultSoundFile(ctx));
    const QSet<QString> keys = SectionKeys(ini, kSchedule);
    scheduler.listed = !keys.isEmpty();
    for (qsizetype number = 1; keys.contains(KeyIdentity(EntryKey(number))); ++number) {
        ScheduleEntry entry;
        entry.key = EntryKey(number);
        entry.feed = ParseEntry(entry.key, ini.read(kSchedule, entry.key, QString()), entry.problem);
        scheduler.schedule.append(entry);
    }
    return scheduler;
}

void saveScheduler(const platform::Context &ctx, const Scheduler &scheduler)
{
    const IniFile ini = Config(ctx);
    // The section is rewritten whole, so entries removed from the list leave no keys behind.
    ini.removeSection(kSchedule);
    ini.write(kSchedule, QStringLiteral("ena"), scheduler.enabled);
    ini.write(kSchedule, QStringLiteral("frq"), scheduler.intervalIndex);
    ini.write(kSchedule, QStringLiteral("alr"), scheduler.showPopup);
    ini.write(kSchedule, QStringLiteral("snd"), scheduler.playPopupSound);
    ini.write(kSchedule, QStringLiteral("sfl"), scheduler.soundFile);
    qsizetype number = 0;
    for (const ScheduleEntry &entry : scheduler.schedule) {
        if (entry.feed)
            ini.write(kSchedule, EntryKey(++number), EntryText(*entry.feed));
    }
}

bool correctScheduledFeedType(const platform::Context &ctx, const QString &feedId, qint16 type)
{
    const IniFile ini = Config(ctx);
    const QSet<QString> keys = SectionKeys(ini, kSchedule);
    bool corrected = false;
    for (qsizetype number = 1; keys.contains(KeyIdentity(EntryKey(number))); ++number) {
        const QString key = EntryKey(number);
        const QString text = ini.read(kSchedule, key, QString());
        QString problem;
        const std::optional<FeedRecord> feed = ParseEntry(key, text, problem);
        if (!feed || feed->ID != feedId || feed->FeedType == type)
            continue;
        // Only the type field changes: the rest of the entry is written back as it was read.
        QStringList fields = text.split(kFieldSeparator);
        fields[0] = QString::number(type);
        ini.write(kSchedule, key, fields.join(kFieldSeparator));
        corrected = true;
    }
    return corrected;
}

} // namespace Settings
