#pragma once
// Rectangle arithmetic shared by the pointer implementations, so that the headless
// pointer and the X11 one clip and clamp alike.

#include "platform/platform.h"

#include <algorithm>
#include <cmath>

// rect clipped to the screen. A rectangle that is empty or misses the screen shrinks to
// the single pixel of the screen nearest to its top-left corner, so the pointer always
// has somewhere to be.
inline ScreenRect clipToScreen(ScreenRect rect, ScreenSize screen)
{
    const int width = std::max(screen.width, 1);
    const int height = std::max(screen.height, 1);
    ScreenRect clipped;
    clipped.left = std::clamp(rect.left, 0, width - 1);
    clipped.top = std::clamp(rect.top, 0, height - 1);
    clipped.right = std::clamp(rect.right, clipped.left + 1, width);
    clipped.bottom = std::clamp(rect.bottom, clipped.top + 1, height);
    return clipped;
}

inline ScreenRect wholeScreen(ScreenSize screen) { return clipToScreen({0, 0, screen.width, screen.height}, screen); }

// point moved to the nearest pixel inside rect (right and bottom exclusive; rect must
// not be empty, as a clipped one never is).
inline ScreenPoint clampInto(ScreenPoint point, ScreenRect rect)
{
    return {std::clamp(point.x, rect.left, rect.right - 1), std::clamp(point.y, rect.top, rect.bottom - 1)};
}

// A rectangle given in the toolkit's device-independent pixels, in the device pixels
// of the display server: on a screen whose top-left corner is origin in both (as Qt
// keeps it), every distance from the origin is scaled by the device pixel ratio.
inline ScreenRect toDevicePixels(int left, int top, int width, int height, ScreenPoint origin, double ratio)
{
    const auto x = [&](int v) { return origin.x + static_cast<int>(std::lround((v - origin.x) * ratio)); };
    const auto y = [&](int v) { return origin.y + static_cast<int>(std::lround((v - origin.y) * ratio)); };
    return {x(left), y(top), x(left + width), y(top + height)};
}
