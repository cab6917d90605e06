#pragma once

#include <QtGlobal>

// The constant alpha (0 transparent .. 255 opaque) of a popup made transparent by the given
// percentage: (100 - percentage) / 100 * 255 rounded to the nearest integer, halves to even.
// A result outside 0..255 (a percentage above 100 or below 0) becomes 1.
[[nodiscard]] int popupAlpha(qint16 transparencyPercentage);
