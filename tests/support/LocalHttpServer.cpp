#include "support/LocalHttpServer.h"

#include <QNetworkAccessManager>

#include <chrono>

namespace test {

using namespace std::chrono_literals;

LocalHttpServer::LocalHttpServer(QNetworkAccessManager *client)
    : m_client(client)
{
    // One request per connection: a kept-alive connection would hold the server's stop up.
    m_server.set_keep_alive_max_count(1);
    m_server.set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &) {
        std::lock_guard lock(m_mutex);
        ++m_requests;
        m_lastHeaders = request.headers;
        return httplib::Server::HandlerResponse::Unhandled;
    });
}

LocalHttpServer::~LocalHttpServer()
{
    stop();
}

bool LocalHttpServer::start()
{
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        return false;
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!m_server.is_running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return m_server.is_running();
}

void LocalHttpServer::stop()
{
    openGate();
    if (!m_thread.joinable())
        return;
    if (m_client)
        m_client->clearConnectionCache();
    m_server.stop();
    m_thread.join();
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void LocalHttpServer::holdRequest()
{
    std::unique_lock lock(m_mutex);
    ++m_held;
    m_changed.notify_all();
    m_changed.wait_for(lock, 10s, [this] { return m_gateOpen; });
}

void LocalHttpServer::openGate()
{
    {
        std::lock_guard lock(m_mutex);
        m_gateOpen = true;
    }
    m_changed.notify_all();
}

int LocalHttpServer::heldRequests()
{
    std::lock_guard lock(m_mutex);
    return m_held;
}

int LocalHttpServer::requestCount()
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::string LocalHttpServer::lastHeader(const std::string &name)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_lastHeaders.find(name);
    return found == m_lastHeaders.end() ? std::string("<missing>") : found->second;
}

} // namespace test
