#pragma once
// When a word is shown. A display system that reports the refresh at which a picture
// reached the screen (X11's Present extension, Wayland's presentation time protocol)
// gives the word's onset itself; elsewhere the onset is the moment the drawing is
// done. The words are then shown at refreshes, which the display's refresh clock
// predicts.

#include <cstdint>
#include <optional>

// Where a block's onsets come from. Named in the timing record.
enum class OnsetSource { AfterDrawing, X11Present, WaylandPresentation };
const char* describe(OnsetSource source);

// One refresh of the display: its counter and its time (monotonic microseconds).
struct Refresh {
    std::uint64_t count = 0;
    std::int64_t time = 0;
    friend bool operator==(const Refresh&, const Refresh&) = default;
};

// The display's refreshes as the refreshes it has reported show them: the interval
// from the first and the last reported (a long baseline, so that one late report
// hardly moves it), each refresh predicted from the last.
class RefreshClock {
public:
    // A refresh the display reported. One that goes back (a new display, a counter
    // reset) starts the clock afresh.
    void observe(Refresh refresh);
    // Whether two refreshes apart in count have been seen.
    bool known() const { return interval_ > 0; }
    // Microseconds between refreshes (0 until known).
    double intervalMicroseconds() const { return interval_; }
    // The first refresh predicted at or after the moment t, and never before the last
    // reported one's successor. Only when known().
    Refresh firstAtOrAfter(std::int64_t t) const;

private:
    std::optional<Refresh> first_;
    Refresh last_;
    double interval_ = 0;
};

// A word's presentation as the display reported it.
struct Presentation {
    std::int64_t onset = 0;  // monotonic microseconds
    // Later than the refresh it was meant for, or not reported at all (its onset is then
    // the moment after drawing).
    bool missed = false;
    // Microseconds past its target refresh's predicted time (0 when on time).
    std::int64_t late = 0;
    // The reported refresh's counter (0 when not reported).
    std::uint64_t refresh = 0;
};

// How long before its refresh a picture must be sent to be shown at it: a refresh
// closer than this to the moment a word is sent is left for the next one.
inline constexpr std::int64_t presentationLeadMicroseconds = 1000;

// How many refreshes past its target a presentation's report may take before the word
// is drawn and timed as where there are no reports.
inline constexpr int mostRefreshesToWaitForReport = 3;

// One reading of another clock between two readings of the monotonic clock, all in
// nanoseconds.
struct ClockReading {
    std::int64_t monotonicBefore = 0;
    std::int64_t other = 0;
    std::int64_t monotonicAfter = 0;
};
// Nanoseconds to add to the other clock's time to get the monotonic clock's, from the
// reading whose monotonic readings lie closest together (the least disturbed one);
// 0 without readings.
std::int64_t monotonicOffset(const ClockReading* readings, int count);

// The counters of a display's reported refreshes. A display that reports a refresh
// counter gives it; one that reports only the refresh interval (nanoseconds) has its
// refreshes counted from the last one reported, by the time between the two in
// intervals (counting from the last keeps a display whose true interval differs a
// little from the reported one from drifting off by a refresh); the first is counted
// from the clock's zero. nullopt when a report gives neither.
class RefreshCounter {
public:
    std::optional<Refresh> counted(std::int64_t timeMicroseconds, std::uint64_t counter,
                                   std::uint32_t intervalNanoseconds);

private:
    std::optional<Refresh> last_;
};

// Pictures of the word area shown at a chosen refresh, each presentation reported by
// the display with the refresh's counter and time (monotonic microseconds).
class WordPresenter {
public:
    virtual ~WordPresenter() = default;
    virtual OnsetSource source() const = 0;
    // Makes `count` pictures of width x height pixels (replacing the earlier ones).
    virtual bool prepare(int count, int width, int height) = 0;
    // Fills picture `index` from 32-bit pixels (0xffRRGGBB), rows `stride` bytes apart.
    virtual bool upload(int index, const std::uint32_t* pixels, int stride) = 0;
    // Shows picture `index` at the refresh target (its counter and its predicted time;
    // counter 0: the next refresh) and waits, until deadlineMicroseconds at the latest,
    // for the display's report of it.
    virtual std::optional<Refresh> present(int index, Refresh target, std::int64_t deadlineMicroseconds) = 0;
    // Waits for the next refresh, until deadlineMicroseconds at the latest.
    virtual std::optional<Refresh> nextRefresh(std::int64_t deadlineMicroseconds) = 0;
    // How long before its refresh present() must be called for the picture to be shown
    // at it.
    virtual std::int64_t leadMicroseconds() const { return presentationLeadMicroseconds; }
    // Takes a presented picture off the screen, so that what is drawn into the word area
    // otherwise is seen: where the pictures are shown over the area rather than in it.
    virtual void withdraw() {}
};
