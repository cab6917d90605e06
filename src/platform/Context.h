#pragma once

#include <QString>

class QNetworkAccessManager;

namespace platform {

class Clock;
class ConnectionState;
class DesktopShell;
class MessageBoxes;
class ResponseBudget;
class SecretStore;
class UserSettings;

// The services that logic reaches the world through. The program builds one in src/app with
// the real implementations; tests build one over fakes and a temporary app folder.
struct Context {
    MessageBoxes &messages;
    UserSettings &userSettings;
    SecretStore &secrets; // the desktop's keyring
    ConnectionState &connection;
    DesktopShell &shell;
    Clock &clock;
    QNetworkAccessManager &network;
    ResponseBudget &responseBudget; // shared by every response in flight
    QString appFolder;              // absolute path of the app folder, without a trailing "/"
};

} // namespace platform
