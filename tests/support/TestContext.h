#pragma once

#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/DesktopShell.h"
#include "platform/UserSettings.h"
#include "support/QtPrinters.h"
#include "support/RecordingMessageBoxes.h"

#include <QHash>
#include <QList>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QUrl>

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

class FakeClock final : public platform::Clock {
public:
    QDateTime now() const override { return current; }
    qint64 tickCount() const override { return ticks; }
    QDateTime current{QDate(2026, 3, 14), QTime(9, 26, 53)};
    qint64 ticks = 0;
};

// Fakes for the desktop seams, a real network stack and a fresh temporary app folder.
class TestContext {
public:
    TestContext();

    [[nodiscard]] QString path(const QString &name) const { return dir.filePath(name); }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    [[nodiscard]] QByteArray readFile(const QString &name) const;

    QTemporaryDir dir;
    RecordingMessageBoxes messages;
    MemoryUserSettings userSettings;
    FakeConnection connection;
    RecordingShell shell;
    FakeClock clock;
    QNetworkAccessManager network;
    platform::Context ctx;
};

} // namespace test
