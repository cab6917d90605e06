#pragma once

#include <QPointer>
#include <QString>

#include <httplib.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class QNetworkAccessManager;

namespace test {

// An HTTP server on a free 127.0.0.1 port, answering on its own threads from start() until
// stop() or destruction. Tests add their handlers through routes() before start().
//
// Stopping never hangs: each connection carries one request and is then closed, the client's
// kept-alive connections are dropped first, and a handler that holds its request (holdRequest)
// is released, so the server's threads always finish and are joined, whatever the test did.
class LocalHttpServer {
public:
    // client: the network manager the test fetches with, or null. Qt keeps idle connections
    // open (some that never carried a request); the server could only stop after they time
    // out, so stop() clears the client's connection cache first. The client may die first.
    explicit LocalHttpServer(QNetworkAccessManager *client = nullptr);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    [[nodiscard]] httplib::Server &routes() { return m_server; }

    // Binds a free port and starts answering; false when the server could not start.
    [[nodiscard]] bool start();
    // Releases held requests and joins the server's threads. Harmless when not running.
    void stop();

    // "http://127.0.0.1:<port>" + path.
    [[nodiscard]] QString url(const QString &path) const;

    // For a handler: blocks until the gate opens (stop() opens it), or 10 s at most, so that a
    // request stays unanswered without holding anything up for good.
    void holdRequest();
    void openGate();
    // Requests that a handler is holding or has held.
    [[nodiscard]] int heldRequests();

    // Requests that reached the server, whatever their route.
    [[nodiscard]] int requestCount();
    // A header of the last request that reached the server; "<missing>" when it had none.
    [[nodiscard]] std::string lastHeader(const std::string &name);

private:
    httplib::Server m_server;
    std::thread m_thread;
    QPointer<QNetworkAccessManager> m_client;
    int m_port = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_gateOpen = false;
    int m_held = 0;
    int m_requests = 0;
    httplib::Headers m_lastHeaders;
};

} // namespace test
