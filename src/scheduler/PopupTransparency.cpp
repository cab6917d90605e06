#include "scheduler/PopupTransparency.h"

#include <cmath>

int popupAlpha(qint16 transparencyPercentage)
{
    // In this order, in doubles: 10 % gives 229.5, which must round to 230.
    const double exact = (100 - transparencyPercentage) / 100.0 * 255.0;
    // nearbyint rounds halves to even under the default rounding mode; qRound does not.
    const double alpha = std::nearbyint(exact);
    if (alpha < 0 || alpha > 255)
        return 1;
    return static_cast<int>(alpha);
}
