#pragma once

#include <QtGlobal>

#include <optional>

// The drag of the feed window's splitter bar, in the window's inner units. The bar remembers
// where it was first grabbed (grabOffset, 0 until then) and keeps that offset for every later
// drag; a move is measured against it, not against the previous move.
class SplitterDrag {
public:
    void press() { m_dragging = true; }
    void release() { m_dragging = false; }
    [[nodiscard]] bool dragging() const { return m_dragging; }
    [[nodiscard]] int grabOffset() const { return m_grabOffset; }

    // The mouse at y (in the bar's own coordinates) over a bar whose top is at barTop. Returns
    // how far the bar moves up (negative: down), or nothing when it stays: while not dragging,
    // on the move that takes the grab offset, and when the new top would lie above 20 % or
    // below 80 % of the inner height (both limits allowed).
    [[nodiscard]] std::optional<int> move(qreal y, int barTop, int innerHeight);

private:
    bool m_dragging = false;
    int m_grabOffset = 0;
};
