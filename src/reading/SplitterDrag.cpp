#include "reading/SplitterDrag.h"

#include <cmath>

std::optional<int> SplitterDrag::move(qreal y, int barTop, int innerHeight)
{
    if (!m_dragging)
        return std::nullopt;
    if (m_grabOffset == 0) {
        m_grabOffset = int(std::lround(y));
        return std::nullopt;
    }
    const int delta = int(std::lround(m_grabOffset - y));
    const int newTop = barTop - delta;
    if (newTop < 0.2 * innerHeight || newTop > 0.8 * innerHeight)
        return std::nullopt;
    return delta;
}
