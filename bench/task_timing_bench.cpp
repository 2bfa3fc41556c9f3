// Timing benchmark of the task window. The real TaskWindow with the real block
// engine runs blocks on an X server while a second thread plays the participant:
// it waits for each word, chooses an interval, and at that absolute deadline on the
// monotonic clock sends a key press through the X server (XTest), sometimes the
// wrong key first. The recorded latencies are compared with the true intervals from
// the word's onset to the moment the key was sent, and the inter-trial delay with
// the time from the response to the next word.
//
//   task_timing_bench [--trials N] [--mode sleep|poll|both]   (sleep: as the program runs)
//
// Prints numbers; asserts nothing.

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <time.h>

#include "app/application_window.h"
#include "platform/x11_pointer.h"
#include "support/sample_items.h"
#include "task/task_window.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// What the window publishes for the participant thread.
struct Shared {
    std::atomic<int> wordsShown{0};       // increases at every word drawn
    std::atomic<std::int64_t> onset{0};   // microseconds, right after the word was drawn
    std::atomic<int> correctSide{0};      // 0 left, 1 right
    std::atomic<std::int64_t> feedbackAt{0};  // right after a correct response's feedback
    std::atomic<bool> stop{false};
};

// The task window with the moments of drawing published.
class BenchWindow : public TaskWindow {
public:
    BenchWindow(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, Shared& shared)
        : TaskWindow(slot, pointer, clock, makeTaskFont()), clock_(clock), shared_(shared)
    {
    }
    std::vector<std::int64_t> feedbackTimes;
    std::vector<std::int64_t> drawStarts;
    std::vector<std::int64_t> onsets;

    void drawWord(std::string_view word, TextColour colour) override
    {
        const std::int64_t drawStart = clock_.nowMicroseconds();
        TaskWindow::drawWord(word, colour);
        if (word.empty())
            return;
        const std::int64_t now = clock_.nowMicroseconds();
        drawStarts.push_back(drawStart);
        onsets.push_back(now);
        BlockEngine& e = engine();
        const int i = e.trialsPresented();  // the engine counts this word right after
        const int pair = e.plan().pair[i];
        shared_.correctSide = e.plan().category[i] == leftCategory[pair] ? 0 : 1;
        shared_.onset = now;
        shared_.wordsShown.fetch_add(1);
    }
    void drawFeedback(bool correct) override
    {
        TaskWindow::drawFeedback(correct);
        if (correct)
            feedbackTimes.push_back(clock_.nowMicroseconds());
    }
    std::array<int, 2> leftCategory{0, 1};

private:
    Clock& clock_;
    Shared& shared_;
};

struct Sent {
    std::int64_t onset;
    std::int64_t correctKeyAt;
};

void sleepUntil(std::int64_t deadlineMicroseconds)
{
    timespec ts{};
    ts.tv_sec = deadlineMicroseconds / 1'000'000;
    ts.tv_nsec = (deadlineMicroseconds % 1'000'000) * 1000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

// The participant: one X connection of its own, keys sent at absolute deadlines.
void participant(Shared& shared, int words, std::vector<Sent>& sent, unsigned seed)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    const KeyCode left = XKeysymToKeycode(display, XK_a);
    const KeyCode right = XKeysymToKeycode(display, XK_KP_5);
    MonotonicClock clock;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> interval(40'000, 160'000);
    std::uniform_int_distribution<int> percent(0, 99);

    const auto press = [&](KeyCode key) {
        XTestFakeKeyEvent(display, key, True, CurrentTime);
        XFlush(display);
        const std::int64_t at = clock.nowMicroseconds();
        XTestFakeKeyEvent(display, key, False, CurrentTime);
        XFlush(display);
        return at;
    };

    int seen = 0;
    while (static_cast<int>(sent.size()) < words && !shared.stop) {
        while (shared.wordsShown.load() == seen && !shared.stop)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (shared.stop)
            break;
        seen = shared.wordsShown.load();
        const std::int64_t onset = shared.onset.load();
        const int side = shared.correctSide.load();
        std::int64_t deadline = onset + interval(random);
        if (percent(random) < 10) {  // a wrong answer first, corrected later
            sleepUntil(deadline);
            press(side == 0 ? right : left);
            deadline += interval(random);
        }
        sleepUntil(deadline);
        sent.push_back({onset, press(side == 0 ? left : right)});
    }
    XCloseDisplay(display);
}

struct Summary {
    double mean = 0, sd = 0, p99 = 0, max = 0;
};

Summary summarise(std::vector<double> v)
{
    Summary s;
    if (v.empty())
        return s;
    for (double x : v)
        s.mean += x;
    s.mean /= v.size();
    for (double x : v)
        s.sd += (x - s.mean) * (x - s.mean);
    s.sd = std::sqrt(s.sd / std::max<std::size_t>(1, v.size() - 1));
    std::vector<double> a;
    for (double x : v)
        a.push_back(std::fabs(x));
    std::sort(a.begin(), a.end());
    s.p99 = a[std::min(a.size() - 1, static_cast<std::size_t>(std::ceil(0.99 * a.size())) - 1)];
    s.max = a.back();
    return s;
}

struct Measured {
    std::vector<double> latencyErrors;   // ms: recorded minus true
    std::vector<double> delayErrors[2];  // ms: waited minus requested, per delay
    std::vector<double> drawTimes;       // ms: drawing the word, up to its onset
};

// Runs blocks of up to 100 trials at the given delay until `trials` are answered.
void runDelay(BenchWindow& window, Pointer& pointer, Shared& shared, unsigned delay, int trials, Measured& m,
              int delayIndex)
{
    BlockSettings s = sampleBlockSettings(0, delay, window.leftCategory);

    int done = 0;
    while (done < trials) {
        s.trials = std::min(100, trials - done);
        std::vector<Sent> sent;
        window.onsets.clear();
        window.drawStarts.clear();
        window.feedbackTimes.clear();
        shared.stop = false;
        shared.wordsShown = 0;
        std::thread player(participant, std::ref(shared), s.trials, std::ref(sent), 1234u + done + delay);
        QTimer::singleShot(100, &window, [&] { window.engine().key(TaskCommand::StartBlock); });
        const int result = window.runBlock(s);
        shared.stop = true;
        player.join();
        if (result != 0) {
            pointer.setConfinement(window.engine().savedConfinement());
            std::fprintf(stderr, "block ended with result %d\n", result);
            return;
        }
        for (int t = 0; t < s.trials && t < static_cast<int>(sent.size()); ++t) {
            const double truth = (sent[t].correctKeyAt - sent[t].onset) / 1000.0;
            m.latencyErrors.push_back(window.results()[t].latency - truth);
        }
        // The delay: from a correct response's feedback to the start of drawing the
        // next word; then the drawing, up to the onset.
        for (std::size_t k = 0; k + 1 < window.onsets.size() && k < window.feedbackTimes.size(); ++k)
            m.delayErrors[delayIndex].push_back((window.drawStarts[k + 1] - window.feedbackTimes[k]) / 1000.0 -
                                                delay);
        for (std::size_t k = 0; k < window.onsets.size(); ++k)
            m.drawTimes.push_back((window.onsets[k] - window.drawStarts[k]) / 1000.0);
        done += s.trials;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    int trialsPerDelay = 500;
    std::string mode = "sleep";
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--trials") && i + 1 < argc)
            trialsPerDelay = std::max(2, std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--mode") && i + 1 < argc)
            mode = argv[++i];
    }

    QApplication application(argc, argv);
    const PriorityLevel priority = std::getenv("BENCH_NORMAL_PRIORITY") ? PriorityLevel::Normal : raisePriority();
    auto pointer = X11Pointer::open();
    if (!pointer) {
        std::fprintf(stderr, "task_timing_bench needs an X display\n");
        return 2;
    }
    MonotonicClock clock;
    ExperimentApp app;
    app.acceleratorSlot().table = &participantShortcuts();
    application.installEventFilter(&app);
    Shared shared;
    BenchWindow window(app.acceleratorSlot(), *pointer, clock, shared);

    std::printf("TRUV task window timing: %d trials at each of the delays 0 and 250 ms, on X display %s\n",
                trialsPerDelay, std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "?");
    std::printf("priority: %s; processors: %u\n\n", describe(priority), std::thread::hardware_concurrency());

    // The window sleeps in its event loop unless told to poll; both are measured.
    std::vector<std::string> modes;
    if (mode == "both")
        modes = {"poll", "sleep"};
    else
        modes = {mode};
    for (const std::string& m : modes) {
        window.setPolling(m == "poll");
        Measured measured;
        runDelay(window, *pointer, shared, 0, trialsPerDelay, measured, 0);
        runDelay(window, *pointer, shared, 250, trialsPerDelay, measured, 1);
        const Summary lat = summarise(measured.latencyErrors);
        std::printf("input while a word waits: %s\n", m == "poll" ? "polled (no sleep)" : "event loop sleeps");
        std::printf("  latency error, recorded minus true (ms), n=%zu: mean %+.3f  SD %.3f  99th pct |err| %.3f  "
                    "max |err| %.3f\n",
                    measured.latencyErrors.size(), lat.mean, lat.sd, lat.p99, lat.max);
        const unsigned delays[2] = {0, 250};
        for (int d = 0; d < 2; ++d) {
            const Summary del = summarise(measured.delayErrors[d]);
            std::printf("  delay %3u ms, waited minus requested (ms), n=%zu: mean %+.4f  max |err| %.4f\n",
                        delays[d], measured.delayErrors[d].size(), del.mean, del.max);
        }
        const Summary draw = summarise(measured.drawTimes);
        std::printf("  drawing a word, from the end of the delay to its onset (ms): mean %.3f  99th pct %.3f  "
                    "max %.3f\n",
                    draw.mean, draw.p99, draw.max);
        std::printf("\n");
    }
    std::printf("The true interval runs from the moment the word had been drawn to the moment the key event was\n"
                "sent to the X server; the error is what the software adds: the X server, the event queue and the\n"
                "program's handling. Recorded latencies are whole milliseconds, so rounding alone gives errors of\n"
                "up to 0.5 ms. Not measured: the display's refresh and response time and the keyboard's scan and\n"
                "USB polling delay, which no software can see.\n");
    return 0;
}
