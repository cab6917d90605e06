#pragma once

#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/DesktopShell.h"
#include "platform/ResponseBudget.h"
#include "platform/SecretStore.h"
#include "platform/UserSettings.h"
#include "support/QtPrinters.h"
#include "support/RecordingMessageBoxes.h"

#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <vector>

namespace test {

class MemoryUserSettings final : public platform::UserSettings {
public:
    QString value(const QString &section, const QString &key,
                  const QString &defaultValue) const override
    {
        return values.value(section + QLatin1Char('/') + key, defaultValue);
    }
    void setValue(const QString &section, const QString &key, const QString &value) override
    {
        values.insert(section + QLatin1Char('/') + key, value);
    }
    QHash<QString, QString> values;
};

// A keyring in memory. While unavailable it answers every call so, as where no keyring runs.
class MemorySecretStore final : public platform::SecretStore {
public:
    Answer read(const QString &name) override
    {
        ++calls;
        if (!available)
            return unavailable();
        if (!secrets.contains(name))
            return {Outcome::NotFound, {}, QStringLiteral("No such secret")};
        return {Outcome::Done, secrets.value(name), {}};
    }
    Answer write(const QString &name, const QString &secret) override
    {
        ++calls;
        if (!available)
            return unavailable();
        secrets.insert(name, secret);
        return {Outcome::Done, {}, {}};
    }
    Answer remove(const QString &name) override
    {
        ++calls;
        if (!available)
            return unavailable();
        secrets.remove(name);
        return {Outcome::Done, {}, {}};
    }

    bool available = false;
    QHash<QString, QString> secrets; // by name
    int calls = 0;

private:
    static Answer unavailable() { return {Outcome::Unavailable, {}, QStringLiteral("No keyring")}; }
};

class FakeConnection final : public platform::ConnectionState {
public:
    bool isConnected() const override { return connected; }
    bool connected = true;
};

class RecordingShell final : public platform::DesktopShell {
public:
    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};

// Time that moves only when a test moves it. Its timers fire inside advance(), in the order of
// their due times, so a test of a time limit never sleeps.
class FakeClock final : public platform::Clock {
public:
    QDateTime now() const override { return current; }
    qint64 tickCount() const override { return ticks; }
    std::unique_ptr<platform::ClockTimer> createTimer() override;

    // Moves both clocks on by the milliseconds and fires every timer that falls due meanwhile.
    void advance(qint64 milliseconds);
    // Timers started and not yet fired or stopped.
    [[nodiscard]] int activeTimers() const;

    QDateTime current{QDate(2026, 3, 14), QTime(9, 26, 53)};
    qint64 ticks = 0;

private:
    class Timer;
    friend class Timer;
    std::vector<Timer *> m_timers;
};

// Fakes for the desktop seams, a real network stack and a fresh temporary app folder. The
// keyring is the one given, or else an unavailable MemorySecretStore (secrets).
class TestContext {
public:
    explicit TestContext(platform::SecretStore *keyring = nullptr);

    [[nodiscard]] QString path(const QString &name) const { return dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    [[nodiscard]] QByteArray readFile(const QString &name) const;

    QTemporaryDir dir;
    RecordingMessageBoxes messages;
    MemoryUserSettings userSettings;
    MemorySecretStore secrets;
    FakeConnection connection;
    RecordingShell shell;
    FakeClock clock;
    QNetworkAccessManager network;
    platform::ResponseBudget responseBudget;
    platform::Context ctx;
};

} // namespace test
