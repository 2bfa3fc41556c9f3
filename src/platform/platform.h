#pragma once
// What the experiment needs of the machine: a monotonic clock, the process's
// priority, the mouse pointer and its confinement, the screen's size and the local
// date and time. The logic talks only to these interfaces; the Linux/X11 classes
// realise them on a display and the headless ones in memory, for tests and for the
// simulated participant.

#include <cstdint>
#include <memory>
#include <string>

// A screen rectangle in pixels, right and bottom exclusive (as a confinement
// rectangle is given).
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const ScreenSize&, const ScreenSize&) = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds on a clock that never jumps (not the calendar time).
    virtual std::int64_t nowMicroseconds() = 0;
    // Returns at the deadline (microseconds on this clock) or soon after, without
    // using the processor meanwhile where the clock can. This one reads the clock in
    // a loop: for clocks that move as they are read.
    virtual void sleepUntil(std::int64_t deadlineMicroseconds)
    {
        while (nowMicroseconds() < deadlineMicroseconds) {
        }
    }
};

// CLOCK_MONOTONIC.
class MonotonicClock final : public Clock {
public:
    std::int64_t nowMicroseconds() override;
    // Sleeps on CLOCK_MONOTONIC to the absolute deadline.
    void sleepUntil(std::int64_t deadlineMicroseconds) override;
};

// The mouse pointer and the rectangle it is confined to. The rectangle is the one
// this process last set; at start it is the whole screen.
class Pointer {
public:
    virtual ~Pointer() = default;
    virtual ScreenPoint position() = 0;
    virtual void setPosition(ScreenPoint point) = 0;
    virtual ScreenRect confinement() = 0;
    // Confines the pointer to rect (clipped to the screen); the whole screen lifts
    // the confinement.
    virtual void setConfinement(ScreenRect rect) = 0;
    // The window the next confinement rectangle lies in (its identifier on the
    // display; 0 for none). Only a display that can hold the pointer to nothing smaller
    // than a whole window uses it; the others confine to the rectangle alone.
    virtual void setConfinementWindow(std::uint64_t window) { (void)window; }
    virtual ScreenSize screenSize() = 0;
};

// Keeps position and rectangle in memory only: for tests and for runs without a
// display. The position is clamped into the rectangle, as a confined pointer is.
class HeadlessPointer final : public Pointer {
public:
    explicit HeadlessPointer(ScreenSize screen = {1280, 1024});
    ScreenPoint position() override { return position_; }
    void setPosition(ScreenPoint point) override;
    ScreenRect confinement() override { return confinement_; }
    void setConfinement(ScreenRect rect) override;
    ScreenSize screenSize() override { return screen_; }

private:
    ScreenSize screen_;
    ScreenRect confinement_;
    ScreenPoint position_;
};

// What start-up achieved in raising the priority.
enum class PriorityLevel {
    RealTime,    // SCHED_FIFO for the process's threads
    LowestNice,  // the lowest nice value allowed
    Normal,      // nothing could be raised
};

// Tries the real-time scheduler at the highest priority, else the lowest nice value
// allowed, else leaves the priority as it is; locks memory when allowed. Never fails.
PriorityLevel raisePriority();
const char* describe(PriorityLevel level);

struct LocalDateTime {
    int year = 0;    // e.g. 2026
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 60
};

LocalDateTime localDateTime();
