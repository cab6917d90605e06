#pragma once

#include <QRect>

// Where the new-items popup sits and how it slides. Heights are kept in twips (15 to the pixel)
// so that one animation step is 100 twips whatever the screen; the window is placed in pixels.
namespace PopupGeometry {

inline constexpr int kTwipsPerPixel = 15;
// Height change per animation tick (about 6.67 pixels).
inline constexpr int kStepTwips = 100;
// Gap between the popup's right edge and the right of the work area (5 pixels).
inline constexpr int kRightGapTwips = 75;

[[nodiscard]] int pixelsToTwips(int pixels);
// The nearest whole pixel.
[[nodiscard]] int twipsToPixels(int twips);

// The popup's rectangle in pixels: its bottom on the bottom of the work area (an empty work area
// places it off screen), its right edge kRightGapTwips left of the work area's right. The width
// is in pixels, the height in twips; the top moves as the height changes.
[[nodiscard]] QRect popupRect(const QRect &workArea, int widthPixels, int heightTwips);

// The height of the popup tick by tick. It opens from 0 by kStepTwips per tick; the tick after
// the height reaches the design height reports Opened (so the final height is the design height
// raised to the next step). Closing, from whatever height the popup has, takes kStepTwips per
// tick while the height is above one step, then reports Finished.
class PopupSlide {
public:
    enum class Direction { Opening, Closing };
    enum class Step { Moved, Opened, Finished };

    explicit PopupSlide(int designHeightTwips = 0)
        : m_designHeight(designHeightTwips)
    {
    }

    Step tick();
    void close() { m_direction = Direction::Closing; }

    [[nodiscard]] int heightTwips() const { return m_height; }
    [[nodiscard]] int designHeightTwips() const { return m_designHeight; }
    [[nodiscard]] Direction direction() const { return m_direction; }

private:
    int m_designHeight;
    int m_height = 0;
    Direction m_direction = Direction::Opening;
};

} // namespace PopupGeometry
