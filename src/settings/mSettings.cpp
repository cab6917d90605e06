#include "settings/mSettings.h"

#include "platform/Context.h"
#include "platform/MessageBoxes.h"
#include "settings/mINI.h"
#include "shell/mUtil.h"

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
    const QString text = mUtil::ScrambleText(stored, false, &ok);
    if (ok)
        return text;
    return mUtil::ScrambleText(storedDefault, false);
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
    return mUtil::ScrambleText(storedDefault, false).trimmed().toShort();
}

void WriteEmailValue(const QString &key, const QString &value)
{
    mINI::WriteIniValue(kEmail, key, mUtil::ScrambleText(value, true));
}

} // namespace

QString ConfigPath(const platform::Context &ctx)
{
    return mUtil::AddBackslash(ctx.appFolder) + QStringLiteral("AppCfg.cfg");
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

} // namespace mSettings
