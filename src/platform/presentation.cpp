#include "platform/presentation.h"

#include <cmath>

const char* describe(OnsetSource source)
{
    switch (source) {
    case OnsetSource::X11Present:
        return "X11 Present";
    case OnsetSource::WaylandPresentation:
        return "Wayland presentation";
    case OnsetSource::AfterDrawing:
        break;
    }
    return "after drawing";
}

void RefreshClock::observe(Refresh refresh)
{
    if (!first_ || refresh.count <= last_.count || refresh.time <= last_.time) {
        if (first_ && refresh.count == last_.count && refresh.time == last_.time)
            return;  // the same refresh reported twice
        first_ = refresh;
        last_ = refresh;
        interval_ = 0;
        return;
    }
    last_ = refresh;
    interval_ = static_cast<double>(last_.time - first_->time) / static_cast<double>(last_.count - first_->count);
}

Refresh RefreshClock::firstAtOrAfter(std::int64_t t) const
{
    // A moment up to a microsecond past a predicted refresh (whose time is rounded to
    // the microsecond) is that refresh.
    double steps = std::ceil((static_cast<double>(t - last_.time) - 1.0) / interval_);
    if (steps < 1)
        steps = 1;
    const auto n = static_cast<std::uint64_t>(steps);
    return {last_.count + n, last_.time + static_cast<std::int64_t>(std::llround(static_cast<double>(n) * interval_))};
}
