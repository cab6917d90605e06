#include "platform/ConnectionState.h"

#include <QNetworkInformation>

namespace platform {

NetworkInformationState::NetworkInformationState()
{
    QNetworkInformation::loadDefaultBackend();
}

bool NetworkInformationState::isConnected() const
{
    const QNetworkInformation *info = QNetworkInformation::instance();
    if (!info)
        return true;
    switch (info->reachability()) {
    case QNetworkInformation::Reachability::Disconnected:
        return false;
    default:
        return true;
    }
}

} // namespace platform
