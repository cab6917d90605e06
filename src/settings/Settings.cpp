#include "settings/Settings.h"

#include "common/Files.h"
#include "platform/Context.h"
#include "platform/SecretStore.h"
#include "settings/EmailValue.h"
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
const QString kPasswordKey = QStringLiteral("pw");
const QString kPasswordEntryKey = QStringLiteral("pk");
const QString kSecurityKey = QStringLiteral("cs");
constexpr int kImplicitTlsPort = 465;

struct SecurityName {
    ConnectionSecurity security;
    QLatin1String name;
};
constexpr SecurityName kSecurityNames[] = {
    {ConnectionSecurity::StartTls, QLatin1String("starttls")},
    {ConnectionSecurity::Tls, QLatin1String("ssl")},
    {ConnectionSecurity::None, QLatin1String("none")},
};

IniFile config(const platform::Context &ctx)
{
    return IniFile(configPath(ctx), kBufferSize);
}

// The key read as a number; a default that is itself no number gives 0.
int readInteger(const IniFile &ini, const QString &section, const QString &key,
                const QString &defaultValue)
{
    bool ok = false;
    const qint16 value = ini.read(section, key, defaultValue).trimmed().toShort(&ok);
    if (ok)
        return value;
    return defaultValue.trimmed().toShort();
}

QString readEmailValue(const IniFile &ini, const QString &key, const QString &storedDefault = {})
{
    return EmailValue::read(ini.read(kEmail, key, storedDefault))
        .value_or(EmailValue::read(storedDefault).value_or(QString()));
}

int readEmailInteger(const IniFile &ini, const QString &key, const QString &storedDefault)
{
    bool ok = false;
    const qint16 value = readEmailValue(ini, key, storedDefault).trimmed().toShort(&ok);
    if (ok)
        return value;
    return EmailValue::read(storedDefault).value_or(QString()).trimmed().toShort();
}

void writeEmailValue(const IniFile &ini, const QString &key, const QString &value)
{
    ini.write(kEmail, key, EmailValue::stored(value));
}

ConnectionSecurity readSecurity(const IniFile &ini, const QString &port)
{
    const QString name = readEmailValue(ini, kSecurityKey);
    if (name.isEmpty())
        return port.trimmed().toInt() == kImplicitTlsPort ? ConnectionSecurity::Tls
                                                          : ConnectionSecurity::StartTls;
    for (const SecurityName &known : kSecurityNames) {
        if (name == known.name)
            return known.security;
    }
    return ConnectionSecurity::StartTls;
}

QString securityName(ConnectionSecurity security)
{
    for (const SecurityName &known : kSecurityNames) {
        if (known.security == security)
            return known.name;
    }
    return kSecurityNames[0].name;
}

// The keyring entry for the password of the app folder's settings. Once stored, the entry's name
// is read from the file (pk), so a folder that moves keeps its entry.
QString passwordEntryName(const platform::Context &ctx)
{
    return QStringLiteral("smtp:") + ctx.appFolder;
}

QString entryKey(qsizetype number)
{
    return QStringLiteral("s_") + QString::number(number);
}

// Key names are matched without regard to case, as the file's reader matches them.
QString keyIdentity(const QString &key)
{
    return key.toCaseFolded();
}

// The key names present in the section; empty when the section is missing or has no keys (the
// reader then gives a buffer of NULs, which yields no names here).
QSet<QString> sectionKeys(const IniFile &ini, const QString &section)
{
    QSet<QString> keys;
    const QStringList names = ini.readSection(section).split(QChar(0), Qt::SkipEmptyParts);
    for (const QString &name : names)
        keys.insert(keyIdentity(name));
    return keys;
}

QString entryText(const FeedRecord &feed)
{
    return QString::number(storedNumber(feed.feedType)) + kFieldSeparator + feed.id
        + kFieldSeparator + feed.url + kFieldSeparator + feed.name;
}

// The entry stored under key, or nullopt with the reason in problem. Fields after the fourth are
// ignored; Category is not stored and stays empty.
std::optional<FeedRecord> parseEntry(const QString &key, const QString &text, QString &problem)
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
    feed.feedType = feedTypeFromNumber(fields[0].trimmed().toShort(&ok));
    if (!ok) {
        problem = QStringLiteral("Schedule entry %1 has the feed type \"%2\", which is no number.")
                      .arg(key, fields[0]);
        return std::nullopt;
    }
    feed.id = fields[1];
    feed.url = fields[2];
    feed.name = fields[3];
    return feed;
}

QString defaultSoundFile(const platform::Context &ctx)
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
    const IniFile ini = config(ctx);
    Email email;
    email.server = readEmailValue(ini, QStringLiteral("sv"));
    email.port = readEmailValue(ini, QStringLiteral("po"));
    email.authenticate = readEmailInteger(ini, QStringLiteral("au"), kStoredAuthDefault) == 1;
    email.user = readEmailValue(ini, QStringLiteral("us"));
    const QString entry = readEmailValue(ini, kPasswordEntryKey);
    if (entry.isEmpty()) {
        email.password = readEmailValue(ini, kPasswordKey);
    } else {
        const platform::SecretStore::Answer answer = ctx.secrets.read(entry);
        if (answer.outcome == platform::SecretStore::Outcome::Done)
            email.password = answer.secret;
        else if (answer.outcome == platform::SecretStore::Outcome::NotFound)
            email.passwordProblem = QStringLiteral("The keyring holds no password for Marlowin.");
        else
            email.passwordProblem = answer.error.isEmpty()
                ? QStringLiteral("The keyring did not answer.")
                : answer.error;
    }
    email.fromName = readEmailValue(ini, QStringLiteral("fn"));
    email.fromAddress = readEmailValue(ini, QStringLiteral("fe"));
    email.security = readSecurity(ini, email.port);
    return email;
}

QString loadEmailServer(const platform::Context &ctx)
{
    return readEmailValue(config(ctx), QStringLiteral("sv"));
}

PasswordPlace saveEmail(const platform::Context &ctx, const Email &email)
{
    const IniFile ini = config(ctx);
    const QString storedEntry = readEmailValue(ini, kPasswordEntryKey);
    const QString entry = storedEntry.isEmpty() ? passwordEntryName(ctx) : storedEntry;
    PasswordPlace place = PasswordPlace::Nowhere;
    if (!email.password.isEmpty()) {
        place = ctx.secrets.write(entry, email.password).outcome
                == platform::SecretStore::Outcome::Done
            ? PasswordPlace::Keyring
            : PasswordPlace::File;
    } else if (!storedEntry.isEmpty()) {
        // Best effort: an entry left behind holds a password no setting names any more.
        static_cast<void>(ctx.secrets.remove(storedEntry));
    }

    writeEmailValue(ini, QStringLiteral("sv"), email.server);
    writeEmailValue(ini, QStringLiteral("po"), email.port);
    writeEmailValue(ini, QStringLiteral("au"),
                    email.authenticate ? QStringLiteral("1") : QStringLiteral("0"));
    writeEmailValue(ini, QStringLiteral("us"), email.user);
    writeEmailValue(ini, kPasswordKey, place == PasswordPlace::File ? email.password : QString());
    writeEmailValue(ini, kPasswordEntryKey, place == PasswordPlace::Keyring ? entry : QString());
    writeEmailValue(ini, QStringLiteral("fn"), email.fromName);
    writeEmailValue(ini, QStringLiteral("fe"), email.fromAddress);
    writeEmailValue(ini, kSecurityKey, securityName(email.security));
    return place;
}

Closing loadClosing(const platform::Context &ctx)
{
    const IniFile ini = config(ctx);
    Closing closing;
    closing.startWithDesktop
        = readInteger(ini, kApp, QStringLiteral("autos"), QStringLiteral("0")) == 1;
    closing.closeCompletely
        = readInteger(ini, kApp, QStringLiteral("close"), QStringLiteral("0")) == 1;
    closing.minimizeToTray
        = readInteger(ini, kApp, QStringLiteral("mins"), QStringLiteral("1")) == 1;
    return closing;
}

void saveClosing(const platform::Context &ctx, const Closing &closing)
{
    const IniFile ini = config(ctx);
    ini.write(kApp, QStringLiteral("autos"), closing.startWithDesktop);
    ini.write(kApp, QStringLiteral("close"), closing.closeCompletely);
    ini.write(kApp, QStringLiteral("mins"), closing.minimizeToTray);
}

bool loadConfirmOnClose(const platform::Context &ctx)
{
    return readInteger(config(ctx), kApp, QStringLiteral("confirm"), QStringLiteral("1")) == 1;
}

void saveConfirmOnClose(const platform::Context &ctx, bool confirm)
{
    config(ctx).write(kApp, QStringLiteral("confirm"), confirm);
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
    const IniFile ini = config(ctx);
    Scheduler scheduler;
    scheduler.enabled
        = readInteger(ini, kSchedule, QStringLiteral("ena"), QStringLiteral("0")) == 1;
    scheduler.intervalIndex
        = readInteger(ini, kSchedule, QStringLiteral("frq"), QStringLiteral("-1"));
    scheduler.showPopup
        = readInteger(ini, kSchedule, QStringLiteral("alr"), QStringLiteral("1")) == 1;
    scheduler.playPopupSound
        = readInteger(ini, kSchedule, QStringLiteral("snd"), QStringLiteral("0")) == 1;
    scheduler.soundFile = ini.read(kSchedule, QStringLiteral("sfl"), defaultSoundFile(ctx));
    const QSet<QString> keys = sectionKeys(ini, kSchedule);
    scheduler.listed = !keys.isEmpty();
    for (qsizetype number = 1; keys.contains(keyIdentity(entryKey(number))); ++number) {
        ScheduleEntry entry;
        entry.key = entryKey(number);
        entry.feed
            = parseEntry(entry.key, ini.read(kSchedule, entry.key, QString()), entry.problem);
        scheduler.schedule.append(entry);
    }
    return scheduler;
}

void saveScheduler(const platform::Context &ctx, const Scheduler &scheduler)
{
    const IniFile ini = config(ctx);
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
            ini.write(kSchedule, entryKey(++number), entryText(*entry.feed));
    }
}

bool correctScheduledFeedType(const platform::Context &ctx, const QString &feedId, FeedType type)
{
    const IniFile ini = config(ctx);
    const QSet<QString> keys = sectionKeys(ini, kSchedule);
    bool corrected = false;
    for (qsizetype number = 1; keys.contains(keyIdentity(entryKey(number))); ++number) {
        const QString key = entryKey(number);
        const QString text = ini.read(kSchedule, key, QString());
        QString problem;
        const std::optional<FeedRecord> feed = parseEntry(key, text, problem);
        if (!feed || feed->id != feedId || feed->feedType == type)
            continue;
        // Only the type field changes: the rest of the entry is written back as it was read.
        QStringList fields = text.split(kFieldSeparator);
        fields[0] = QString::number(storedNumber(type));
        ini.write(kSchedule, key, fields.join(kFieldSeparator));
        corrected = true;
    }
    return corrected;
}

} // namespace Settings
