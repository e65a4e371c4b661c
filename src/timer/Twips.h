// SPDX-License-Identifier: MIT
// The windows are laid out in twips (1/1440 inch), 15 to a pixel at 96 dots
// per inch, as they were designed.
#pragma once

#include <QRect>

namespace brivel {

constexpr int tw(int twips)
{
    return twips / 15;
}

constexpr QRect twRect(int left, int top, int width, int height)
{
    return {tw(left), tw(top), tw(width), tw(height)};
}

// A line from x1 to x2 at y, thickness pixels high, both ends drawn.
constexpr QRect twLine(int x1, int x2, int y, int thickness)
{
    return {tw(x1), tw(y), tw(x2) - tw(x1) + 1, thickness};
}

} // namespace brivel
