#include "scheduler/PopupGeometry.h"

namespace PopupGeometry {

int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

int twipsToPixels(int twips)
{
    // Whole twips never fall on a half pixel, so the direction of rounding halves is moot.
    const int half = kTwipsPerPixel / 2;
    return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

QRect popupRect(const QRect &workArea, int widthPixels, int heightTwips)
{
    // QRect's right() and bottom() are the last pixel inside; the edges are one further.
    const int rightEdge = workArea.x() + workArea.width();
    const int bottomEdge = workArea.y() + workArea.height();
    const int height = twipsToPixels(heightTwips);
    return {rightEdge - widthPixels - twipsToPixels(kRightGapTwips), bottomEdge - height,
            widthPixels, height};
}

PopupSlide::Step PopupSlide::tick()
{
    if (m_direction == Direction::Opening) {
        if (m_height >= m_designHeight)
            return Step::Opened;
        m_height += kStepTwips;
        return Step::Moved;
    }
    if (m_height > kStepTwips) {
        m_height -= kStepTwips;
        return Step::Moved;
    }
    return Step::Finished;
}

} // namespace PopupGeometry
