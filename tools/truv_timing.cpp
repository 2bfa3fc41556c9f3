// truv-timing: measures on a lab's own computer and display how exactly the task
// window records latencies. The real task window, over the full-screen frame as in
// a run, runs blocks with the real block engine while a second thread plays the
// participant: it waits for each word, chooses an interval, and at that absolute
// deadline on the monotonic clock sends a key press through the X server (XTest), or
// natively on Wayland through mutter's remote desktop interface, sometimes the wrong
// key first. The recorded latencies are compared with the true
// intervals from the word's onset to the moment the key was sent, and the
// inter-trial delay with the time from the response to the next word. See --help.

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "app/application_window.h"
#include "platform/desktop_session.h"
#include "common/ui/display_system.h"
#include "common/ui/screen_host.h"
#include "platform/wayland/fake_keyboard.h"
#include "platform/wayland/round_trip.h"
#include "task/ui/task_window.h"
#include "timing/timing_report.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// What the window publishes for the participant thread.
struct Shared {
    std::atomic<int> wordsShown{0};      // increases at every word drawn
    std::atomic<std::int64_t> onset{0};  // microseconds, right after the word was drawn
    std::atomic<int> correctSide{0};     // 0 left, 1 right
    std::atomic<bool> stop{false};
};

// The task window with the moments of drawing published.
class TimingWindow : public TaskWindow {
public:
    TimingWindow(AcceleratorSlot& slot, Pointer& pointer, Clock& clock, Shared& shared, QWidget* parent)
        : TaskWindow(slot, pointer, clock, makeTaskFont(), parent), clock_(clock), shared_(shared)
    {
    }
    std::vector<std::int64_t> drawStarts;
    std::vector<std::int64_t> onsets;

    // Where the display reports its refreshes: the moment each word was sent to be
    // presented, and the moment its report arrived.
    std::vector<std::int64_t> reportsReceived;
    std::vector<std::uint64_t> refreshCounts;

    void drawWord(std::string_view word, TextColour colour) override
    {
        const std::int64_t drawStart = clock_.nowMicroseconds();
        TaskWindow::drawWord(word, colour);
        if (word.empty() || presenting_)
            return;
        published(drawStart, clock_.nowMicroseconds());
    }
    Presentation presentWord(int index, Refresh target) override
    {
        const std::int64_t sent = clock_.nowMicroseconds();
        presenting_ = true;
        const Presentation shown = TaskWindow::presentWord(index, target);
        presenting_ = false;
        reportsReceived.push_back(clock_.nowMicroseconds());
        refreshCounts.push_back(shown.refresh);
        published(sent, shown.onset);
        return shown;
    }

private:
    void published(std::int64_t drawStart, std::int64_t onset)
    {
        drawStarts.push_back(drawStart);
        onsets.push_back(onset);
        shared_.correctSide = engine().correctSideIsLeft() ? 0 : 1;
        shared_.onset = onset;
        shared_.wordsShown.fetch_add(1);
    }
    bool presenting_ = false;

public:

private:
    Clock& clock_;
    Shared& shared_;
};

// A plain window doing the same task as a simple program would: the word in a label,
// the latency from the clock read when the key is handled, the next word after a
// timer. It is measured beside the task window, block by block, for comparison.
class ReferenceWindow : public QWidget {
public:
    // inFrame: a child of the frame, as the program draws its screens natively on
    // Wayland; else a window of its own.
    ReferenceWindow(Clock& clock, Shared& shared, QWidget* parent, bool inFrame)
        : QWidget(parent, inFrame ? Qt::Widget : Qt::Window), clock_(clock), shared_(shared), label_(new QLabel(this))
    {
        resize(640, 480);
        label_->setGeometry(0, 0, 640, 480);
        label_->setAlignment(Qt::AlignCenter);
        label_->setFont(makeTaskFont());
        setCursor(Qt::BlankCursor);
    }

    // Shows words until trials have been answered correctly, or none has been for half a
    // minute; the latencies in whole milliseconds, in order.
    std::vector<int> runBlock(int trials, unsigned delay)
    {
        trials_ = trials;
        delay_ = delay;
        latencies_.clear();
        if (!isWindow())
            move(parentWidget()->rect().center() - rect().center());
        else if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
        setAutoFillBackground(true);
        setFocusPolicy(Qt::StrongFocus);
        show();
        raise();
        activateWindow();
        setFocus();
        QEventLoop loop;
        loop_ = &loop;
        QTimer watchdog;
        std::size_t answered = 0;
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            if (latencies_.size() == answered)
                loop.quit();
            answered = latencies_.size();
        });
        watchdog.start(30'000);
        QTimer::singleShot(100, this, [this] { showWord(); });
        loop.exec();
        loop_ = nullptr;
        waiting_ = false;
        hide();
        return latencies_;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const std::int64_t handled = clock_.nowMicroseconds();
        const bool left = event->key() == Qt::Key_A;
        const bool right = event->key() == Qt::Key_5 || event->key() == Qt::Key_Clear;
        if (!waiting_ || (!left && !right) || (left ? 0 : 1) != side_)
            return;
        waiting_ = false;
        latencies_.push_back(roundToMilliseconds(handled - onset_));
        if (static_cast<int>(latencies_.size()) == trials_ && loop_ != nullptr)
            loop_->quit();
        else
            QTimer::singleShot(static_cast<int>(delay_), Qt::PreciseTimer, this, [this] { showWord(); });
    }

private:
    void showWord()
    {
        static const char* const words[] = {"summer", "winter", "car", "shirt", "snow", "beach"};
        side_ = static_cast<int>(random_() % 2);
        label_->setText(QString::fromLatin1(words[random_() % 6]));
        label_->repaint();
        onset_ = clock_.nowMicroseconds();
        shared_.correctSide = side_;
        shared_.onset = onset_;
        waiting_ = true;
        shared_.wordsShown.fetch_add(1);
    }

    Clock& clock_;
    Shared& shared_;
    QLabel* label_;
    QEventLoop* loop_ = nullptr;
    std::mt19937 random_{7};
    int trials_ = 0;
    unsigned delay_ = 0;
    std::vector<int> latencies_;
    std::int64_t onset_ = 0;
    int side_ = 0;
    bool waiting_ = false;
};

// Processes that only use the processor, at the ordinary priority, for as long as
// this lives: a loaded computer.
class BusyProcesses {
public:
    explicit BusyProcesses(int count)
    {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                // The child leaves the parent's real-time scheduling and spins.
                sched_param normal{};
                sched_setscheduler(0, SCHED_OTHER, &normal);
                volatile unsigned long spins = 0;
                for (;;)
                    spins = spins + 1;
            }
            if (pid > 0)
                children_.push_back(pid);
        }
    }
    ~BusyProcesses()
    {
        for (const pid_t pid : children_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    BusyProcesses(const BusyProcesses&) = delete;
    BusyProcesses& operator=(const BusyProcesses&) = delete;
    int count() const { return static_cast<int>(children_.size()); }

private:
    std::vector<pid_t> children_;
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

// How the participant's keys reach the program: through the X server (XTest), or, as
// a keyboard's keys reach the compositor, through mutter's remote desktop interface on
// the session bus or KWin's fake input protocol. press sends one key's press and
// release and returns the moment the press was sent (monotonic microseconds). Used
// from the participant's thread only.
class KeyInjector {
public:
    virtual ~KeyInjector() = default;
    virtual std::int64_t press(bool left) = 0;
};

// Evdev codes of the participant's keys (A, the keypad's 5) and of Shift.
constexpr unsigned leftKeyCode = 30;
constexpr unsigned rightKeyCode = 76;
constexpr unsigned shiftKeyCode = 42;

class XTestInjector final : public KeyInjector {
public:
    XTestInjector() : display_(XOpenDisplay(nullptr))
    {
        if (display_ != nullptr) {
            left_ = XKeysymToKeycode(display_, XK_a);
            right_ = XKeysymToKeycode(display_, XK_KP_5);
        }
    }
    ~XTestInjector() override
    {
        if (display_ != nullptr)
            XCloseDisplay(display_);
    }
    bool usable() const { return display_ != nullptr; }
    std::int64_t press(bool left) override
    {
        const KeyCode key = left ? left_ : right_;
        XTestFakeKeyEvent(display_, key, True, CurrentTime);
        XFlush(display_);
        const std::int64_t at = clock_.nowMicroseconds();
        XTestFakeKeyEvent(display_, key, False, CurrentTime);
        XFlush(display_);
        return at;
    }

private:
    Display* display_;
    KeyCode left_ = 0;
    KeyCode right_ = 0;
    MonotonicClock clock_;
};

// mutter's org.gnome.Mutter.RemoteDesktop: a session of its own, keys by their evdev
// codes. A press is a call that returns once mutter has
// handled it, which stamps the key: the press was sent in the middle of the call.
class RemoteDesktopInjector final : public KeyInjector {
public:
    static constexpr const char* service = "org.gnome.Mutter.RemoteDesktop";

    // Made on the main thread; nothing usable when mutter offers no session.
    RemoteDesktopInjector()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QDBusMessage created =
            bus.call(QDBusMessage::createMethodCall(QString::fromLatin1(service),
                                                    QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                                                    QString::fromLatin1(service), QStringLiteral("CreateSession")));
        if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty())
            return;
        session_ = created.arguments().first().value<QDBusObjectPath>().path();
        const QDBusMessage started = bus.call(sessionCall(QStringLiteral("Start")));
        if (started.type() != QDBusMessage::ReplyMessage) {
            session_.clear();
            return;
        }
        // The session's keyboard is new to the seat, and its first key may be lost on
        // the way (the compositor sends the keymap with it): a Shift goes first, and the
        // seat is given a moment to take the keyboard to the program's window.
        pressCode(shiftKeyCode, true);
        pressCode(shiftKeyCode, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~RemoteDesktopInjector() override
    {
        if (!session_.isEmpty())
            QDBusConnection::sessionBus().call(sessionCall(QStringLiteral("Stop")));
    }
    bool usable() const { return !session_.isEmpty(); }
    std::int64_t press(bool left) override
    {
        const std::int64_t before = clock_.nowMicroseconds();
        key(left, true);
        const std::int64_t after = clock_.nowMicroseconds();
        key(left, false);
        return before + (after - before) / 2;
    }

private:
    QDBusMessage sessionCall(const QString& method) const
    {
        return QDBusMessage::createMethodCall(QString::fromLatin1(service), session_,
                                              QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), method);
    }
    void key(bool left, bool pressed) { pressCode(left ? leftKeyCode : rightKeyCode, pressed); }
    void pressCode(uint code, bool pressed)
    {
        QDBusMessage call = sessionCall(QStringLiteral("NotifyKeyboardKeycode"));
        call << code << pressed;
        QDBusConnection::sessionBus().call(call);
    }

    QString session_;
    MonotonicClock clock_;
};

// KWin's fake input: keys by their evdev codes on a connection of their own, sent as
// XTest sends them (the press is on its way when it returns). KWin lets a program use
// it only when its desktop file names the interface, or with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 in KWin's environment.
class FakeInputInjector final : public KeyInjector {
public:
    FakeInputInjector()
        : keyboard_(WaylandFakeKeyboard::open("truv-timing", "sends the participant's keys to measure their times"))
    {
        if (!keyboard_)
            return;
        // As with mutter: a new keyboard's first key may be lost; a Shift goes first.
        keyboard_->send(shiftKeyCode, true);
        keyboard_->send(shiftKeyCode, false);
        keyboard_->settle();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    bool usable() const { return keyboard_ != nullptr; }
    std::int64_t press(bool left) override
    {
        const unsigned code = left ? leftKeyCode : rightKeyCode;
        keyboard_->send(code, true);
        const std::int64_t at = clock_.nowMicroseconds();
        keyboard_->send(code, false);
        return at;
    }

private:
    std::unique_ptr<WaylandFakeKeyboard> keyboard_;
    MonotonicClock clock_;
};

// The participant: keys sent at absolute deadlines.
void participant(Shared& shared, KeyInjector& keys, int words, std::vector<Sent>& sent, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> interval(40'000, 160'000);
    std::uniform_int_distribution<int> percent(0, 99);

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
            keys.press(side != 0);
            deadline += interval(random);
        }
        sleepUntil(deadline);
        sent.push_back({onset, keys.press(side == 0)});
    }
}

// Runs blocks of up to 100 trials at timingDelays[delayIndex] until `trials` are
// answered. Returns why a block did not complete, or nothing.
std::string runDelay(TimingWindow& window, ReferenceWindow& reference, Shared& shared, KeyInjector& keys, int trials,
                     std::size_t delayIndex, TimingFigures& figures)
{
    const unsigned delay = timingDelays[delayIndex];
    BlockSettings s = timingBlockSettings(0, delay);
    TrialResults results{};

    int done = 0;
    while (done < trials) {
        s.trials = std::min(maxTrialsPerBlock, trials - done);
        std::vector<Sent> sent;
        window.onsets.clear();
        window.drawStarts.clear();
        window.reportsReceived.clear();
        window.refreshCounts.clear();
        shared.stop = false;
        shared.wordsShown = 0;
        std::thread player(participant, std::ref(shared), std::ref(keys), s.trials, std::ref(sent),
                           1234u + done + delay);
        QTimer::singleShot(100, &window, [&] { window.engine().key(TaskCommand::StartBlock); });
        // A word waits at most a few tenths of a second for its key; when none has
        // been drawn for half a minute the keys do not reach the window, and the
        // block is ended rather than left waiting.
        QTimer watchdog;
        int lastShown = -1;
        int idleSeconds = 0;
        bool stalled = false;
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            const int shown = shared.wordsShown.load();
            idleSeconds = shown == lastShown ? idleSeconds + 1 : 0;
            lastShown = shown;
            if (idleSeconds >= 30) {
                stalled = true;
                window.engine().close(BlockEnd::Skipped);
            }
        });
        watchdog.start(1000);
        const BlockRun run = window.runBlock(s, &results);
        watchdog.stop();
        shared.stop = true;
        player.join();
        if (run.end != BlockEnd::Completed) {
            return stalled ? "no key reached the task window for half a minute (has another window taken the "
                             "keyboard focus?)"
                           : "the task window was closed before the block ended";
        }
        for (int t = 0; t < s.trials && t < static_cast<int>(sent.size()); ++t) {
            const double truth = (sent[t].correctKeyAt - sent[t].onset) / 1000.0;
            figures.latencyErrors.push_back(results[t].latency - truth);
        }
        // From a correct key to the next word's onset, minus the delay: what the
        // participant gets between answering and the next word.
        for (std::size_t k = 0; k + 1 < window.onsets.size() && k < sent.size(); ++k)
            figures.delayErrors[delayIndex].push_back((window.onsets[k + 1] - sent[k].correctKeyAt) / 1000.0 - delay);
        const BlockTiming& timing = window.engine().timing();
        figures.onsetSource = timing.source;
        if (presented(figures)) {
            figures.refreshMs = timing.refreshMicroseconds / 1000.0;
            figures.wordsShown += timing.wordsShown;
            figures.framesMissed += timing.framesMissed;
            for (std::size_t k = 0; k < window.reportsReceived.size(); ++k) {
                figures.reportDelays.push_back((window.reportsReceived[k] - window.onsets[k]) / 1000.0);
                const std::uint64_t a = k > 0 ? window.refreshCounts[k - 1] : 0;
                const std::uint64_t b = window.refreshCounts[k];
                if (a != 0 && b > a)
                    figures.refreshJitter.push_back((window.onsets[k] - window.onsets[k - 1] -
                                                     static_cast<double>(b - a) * timing.refreshMicroseconds) /
                                                    1000.0);
            }
        } else {
            for (std::size_t k = 0; k < window.onsets.size(); ++k)
                figures.drawTimes.push_back((window.onsets[k] - window.drawStarts[k]) / 1000.0);
        }

        // The same trials in the reference window, right after.
        std::vector<Sent> referenceSent;
        shared.stop = false;
        shared.wordsShown = 0;
        std::thread referencePlayer(participant, std::ref(shared), std::ref(keys), s.trials, std::ref(referenceSent),
                                    4321u + done + delay);
        const std::vector<int> referenceLatencies = reference.runBlock(s.trials, delay);
        shared.stop = true;
        referencePlayer.join();
        if (static_cast<int>(referenceLatencies.size()) < s.trials)
            return "no key reached the reference window for half a minute (has another window taken the keyboard "
                   "focus?)";
        for (int t = 0; t < s.trials && t < static_cast<int>(referenceSent.size()); ++t)
            figures.referenceLatencyErrors.push_back(referenceLatencies[t] -
                                                     (referenceSent[t].correctKeyAt - referenceSent[t].onset) / 1000.0);
        done += s.trials;
    }
    return {};
}

// Whether the X server can be reached and has XTest; says why not on stderr.
bool canMeasure(const char* displayName)
{
    if (displayName == nullptr || *displayName == '\0') {
        std::fprintf(stderr, "truv-timing: no X display (DISPLAY is not set). Run it in the desktop session of the\n"
                             "computer to be measured, on the display the participants will see.\n");
        return false;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "truv-timing: cannot open the X display \"%s\".\n", displayName);
        return false;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    const bool xtest = XTestQueryExtension(display, &event, &error, &major, &minor);
    XCloseDisplay(display);
    if (!xtest) {
        std::fprintf(stderr,
                     "truv-timing: the X server of display \"%s\" has no XTest extension, through which\n"
                     "the measurement sends its keys; it cannot measure on this display.\n",
                     displayName);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    std::string error;
    const auto options = parseTimingOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "truv-timing: %s\nTry 'truv-timing --help'.\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(timingUsageText(), stdout);
        return 0;
    }
    // Natively on Wayland in a Wayland session (as truv runs there), else on X11.
    // A compositor that cannot be reached leaves X11, as Qt's own fallback would; a
    // display that cannot be measured on is said before Qt starts, which would end the
    // program without one.
    std::string platform = chooseQtPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"),
                                            std::getenv("XDG_SESSION_TYPE"), options->x11);
    const char* user = std::getenv("QT_QPA_PLATFORM");
    const std::string chosen = platform.empty() ? std::string(user != nullptr ? user : "") : platform;
    bool wayland = chosen.rfind("wayland", 0) == 0;
    if (wayland && !waylandDisplayReachable()) {
        wayland = false;
        platform = "xcb";
    }
    if (!platform.empty())
        qputenv("QT_QPA_PLATFORM", platform.c_str());
    const char* displayName = std::getenv("DISPLAY");
    if (!wayland && !canMeasure(displayName))
        return 1;
    QApplication application(argc, argv);
    const bool native = onWaylandPlatform();
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);
    const PriorityLevel priority = raisePriority();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        std::fprintf(stderr, "truv-timing: the display has no screen.\n");
        return 1;
    }

    ExperimentApp app;
    app.acceleratorSlot().table = &participantShortcuts();
    application.installEventFilter(&app);
    // The full-screen frame behind the task window, as in a run; natively on Wayland
    // the task window is drawn in it, as in a run.
    MainFrame frame;
    frame.setGeometry(screen->geometry());
    frame.showFullScreen();
    waitUntilExposed(&frame, 3000);
    const std::unique_ptr<ScreenHost> host = native ? std::make_unique<ScreenHost>(&frame) : nullptr;

    std::unique_ptr<KeyInjector> keys;
    std::unique_ptr<Pointer> pointer;
    std::string keysText;
    if (native) {
        if (auto remote = std::make_unique<RemoteDesktopInjector>(); remote->usable()) {
            keys = std::move(remote);
            keysText = std::string("sent through the compositor's remote desktop interface (") +
                       RemoteDesktopInjector::service + ")";
        } else if (auto fake = std::make_unique<FakeInputInjector>(); fake->usable()) {
            keys = std::move(fake);
            keysText = std::string("sent through the compositor's fake input interface (") +
                       WaylandFakeKeyboard::protocol + ")";
        } else {
            std::fprintf(stderr,
                         "truv-timing: natively on Wayland the keys are sent through the compositor's remote desktop\n"
                         "interface (%s on the session bus, GNOME) or its fake input interface (%s,\n"
                         "KDE), and this desktop offers neither to truv-timing.\n"
                         "Measure through XWayland instead: truv-timing --x11.\n",
                         RemoteDesktopInjector::service, WaylandFakeKeyboard::protocol);
            return 1;
        }
        pointer = openSurfacePointer(&frame);
        if (!pointer)
            pointer = std::make_unique<HeadlessPointer>(ScreenSize{frame.width(), frame.height()});
    } else {
        auto xtest = std::make_unique<XTestInjector>();
        pointer = openDisplayPointer(isWaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE")));
        if (!xtest->usable() || !pointer) {
            std::fprintf(stderr, "truv-timing: cannot use the X display \"%s\".\n", displayName);
            return 1;
        }
        keys = std::move(xtest);
    }

    MonotonicClock clock;
    Shared shared;
    TimingWindow window(app.acceleratorSlot(), *pointer, clock, shared, &frame);
    ReferenceWindow reference(clock, shared, &frame, native);

    const double seconds = timingPassSeconds(options->trials);
    const QSize size = screen->geometry().size();
    if (native)
        std::printf("TRUV timing: the task window natively on Wayland (%d x %d), %d trials at each of the delays %u, "
                    "%u and %u ms.\n",
                    size.width(), size.height(), options->trials, timingDelays[0], timingDelays[1], timingDelays[2]);
    else
        std::printf("TRUV timing: the task window on X display %s (%d x %d), %d trials at each of the delays %u, %u "
                    "and %u ms.\n",
                    displayName, size.width(), size.height(), options->trials, timingDelays[0], timingDelays[1],
                    timingDelays[2]);
    std::printf("Priority: %s; processors: %u.\n", describe(priority), std::thread::hardware_concurrency());
    const BusyProcesses load(options->load);
    if (options->load > 0)
        std::printf("Load: %d other processes kept busy meanwhile.\n", load.count());
    if (native)
        std::printf("Keys: %s.\n", keysText.c_str());
    else if (std::getenv("WAYLAND_DISPLAY") != nullptr)
        std::printf("Keys: sent through the X server (XTest); under Wayland measured through XWayland, as truv "
                    "--x11 runs.\n");
    else
        std::printf("Keys: sent through the X server (XTest).\n");
    std::printf("Do not touch the keyboard or the mouse until it has finished (about %.0f %s).\n\n",
                seconds < 90 ? seconds : seconds / 60, seconds < 90 ? "seconds" : "minutes");
    std::fflush(stdout);

    TimingFigures figures;
    for (std::size_t d = 0; d < timingDelays.size(); ++d) {
        const std::string failure = runDelay(window, reference, shared, *keys, options->trials, d, figures);
        if (!failure.empty()) {
            std::fprintf(stderr, "truv-timing: the measuring was interrupted: %s.\n", failure.c_str());
            return 1;
        }
    }
    if (figures.latencyErrors.empty()) {
        std::fprintf(stderr, "truv-timing: no key reached the task window; nothing was measured.\n");
        return 1;
    }
    if (native) {
        const std::optional<KeyClock> found = window.keyClock();
        std::printf("Key times: %s.\n",
                    found ? (std::string("the compositor's own stamps, found on ") + describe(*found)).c_str()
                          : "the clock when each key is handled (the stamps fitted neither clock)");
    } else {
        std::printf("%s\n", describeKeyTimes(window.engine().serverClock()).c_str());
    }
    std::printf("%s\n%s\n", formatFigures(figures).c_str(), formatVerdict(figures).c_str());
    std::printf("%s", timingCoverageText());
    return 0;
}
