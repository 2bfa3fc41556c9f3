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
    // Shows picture `index` at the refresh counted targetCount (0: the next one) and
    // waits, until deadlineMicroseconds at the latest, for the display's report of it.
    virtual std::optional<Refresh> present(int index, std::uint64_t targetCount, std::int64_t deadlineMicroseconds) = 0;
    // Waits for the next refresh, until deadlineMicroseconds at the latest.
    virtual std::optional<Refresh> nextRefresh(std::int64_t deadlineMicroseconds) = 0;
};
