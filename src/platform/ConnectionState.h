#pragma once

namespace platform {

// Whether the system reports a network connection. Asked before every fetch and send.
class ConnectionState {
public:
    virtual ~ConnectionState() = default;
    [[nodiscard]] virtual bool isConnected() const = 0;
};

// Reachability as QNetworkInformation reports it. Where no backend can be loaded, or the
// backend cannot tell, the machine counts as connected: a wrong "offline" would block every
// fetch, while a wrong "online" only lets a fetch fail on its own.
class NetworkInformationState final : public ConnectionState {
public:
    NetworkInformationState();
    bool isConnected() const override;
};

} // namespace platform
