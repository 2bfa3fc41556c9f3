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

std::int64_t monotonicOffset(const ClockReading* readings, int count)
{
    const ClockReading* best = nullptr;
    for (int i = 0; i < count; ++i) {
        const ClockReading& r = readings[i];
        if (best == nullptr || r.monotonicAfter - r.monotonicBefore < best->monotonicAfter - best->monotonicBefore)
            best = &r;
    }
    if (best == nullptr)
        return 0;
    return best->monotonicBefore + (best->monotonicAfter - best->monotonicBefore) / 2 - best->other;
}

std::optional<Refresh> RefreshCounter::counted(std::int64_t timeMicroseconds, std::uint64_t counter,
                                               std::uint32_t intervalNanoseconds)
{
    Refresh refresh{counter, timeMicroseconds};
    if (counter == 0) {
        if (intervalNanoseconds == 0)
            return std::nullopt;
        const double interval = intervalNanoseconds / 1000.0;
        if (last_) {
            const auto steps = std::llround(static_cast<double>(timeMicroseconds - last_->time) / interval);
            refresh.count = last_->count + static_cast<std::uint64_t>(steps);
        } else {
            refresh.count = static_cast<std::uint64_t>(std::llround(static_cast<double>(timeMicroseconds) / interval));
        }
    }
    last_ = refresh;
    return refresh;
}
