#pragma once

#include <QtGlobal>

namespace platform {

// Bytes that the responses in flight may hold together, shared by every request of the program
// so that many large or endless answers at once cannot exhaust memory. A request takes bytes as
// its body grows and gives them all back when it ends, however it ends. Single-threaded.
class ResponseBudget {
public:
    static constexpr qint64 kDefaultBytes = 96 * 1024 * 1024;

    explicit ResponseBudget(qint64 bytes = kDefaultBytes)
        : m_total(bytes)
    {
    }

    // Takes the bytes when that many are left; false, taking nothing, otherwise.
    [[nodiscard]] bool take(qint64 bytes)
    {
        if (bytes > m_total - m_taken)
            return false;
        m_taken += bytes;
        return true;
    }
    void giveBack(qint64 bytes) { m_taken = qMax<qint64>(0, m_taken - bytes); }

    [[nodiscard]] qint64 total() const { return m_total; }
    [[nodiscard]] qint64 available() const { return m_total - m_taken; }

private:
    qint64 m_total;
    qint64 m_taken = 0;
};

} // namespace platform
