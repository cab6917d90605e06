#pragma once

#include "platform/Clock.h"
#include "platform/ConnectionState.h"
#include "platform/Context.h"
#include "platform/DesktopShell.h"
#include "platform/MessageBoxes.h"
#include "platform/ResponseBudget.h"
#include "platform/SecretStore.h"
#include "platform/UserSettings.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

// Quiet services around a temporary app folder: a benchmark must not stop at a box.
class BenchContext {
public:
    BenchContext();

    class Boxes final : public platform::MessageBoxes {
    public:
        platform::MessageAnswer show(platform::MessageIcon, const QString &title, const QString &,
                                     platform::MessageButtons) override;
        int shown = 0;
        QString lastTitle;
    };
    class NoSettings final : public platform::UserSettings {
    public:
        QString value(const QString &, const QString &, const QString &fallback) const override
        {
            return fallback;
        }
        void setValue(const QString &, const QString &, const QString &) override { }
    };
    class Online final : public platform::ConnectionState {
    public:
        bool isConnected() const override { return true; }
    };
    class NoShell final : public platform::DesktopShell {
    public:
        bool openUrl(const QUrl &) override { return false; }
    };

    QTemporaryDir dir;
    Boxes messages;
    NoSettings settings;
    Online connection;
    NoShell shell;
    platform::NoSecretStore secrets;
    platform::SystemClock clock;
    QNetworkAccessManager network;
    platform::ResponseBudget responseBudget;
    platform::Context ctx;
};
