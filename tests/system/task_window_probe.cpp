// Opens the real task window on the X server for one block and reports, through a
// status file, what the system test needs to drive it: the side the shown word
// belongs to, and the pointer's confinement rectangle. After the block it prints
// the recorded results.
//   task_window_probe STATUS_FILE
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "app/application_window.h"
#include "app/participant_screens.h"
#include "platform/desktop_session.h"
#include "platform/x11/pointer.h"
#include "support/sample_items.h"
#include "task/ui/task_window.h"


int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: task_window_probe STATUS_FILE\n");
        return 2;
    }
    const std::string statusPath = argv[1];

    auto pointer = X11Pointer::open(isWaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE")));
    if (!pointer) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    MonotonicClock clock;
    ExperimentApp app;
    app.acceleratorSlot().table = &participantShortcuts();
    application.installEventFilter(&app);

    // As in a run: nothing hides the window.
    const ParticipantScreens participantScreens;
    TaskWindow window(app.acceleratorSlot(), *pointer, clock, makeTaskFont());
    const BlockSettings s = sampleBlockSettings(4, 100, {0, 1});
    TrialResults results;
    fillPlaceholders(results);

    // Reports the state on every change, from inside the window's event loop.
    QTimer reporter;
    int reported = -1;
    QObject::connect(&reporter, &QTimer::timeout, [&] {
        BlockEngine& e = window.engine();
        const int shown = e.state() == BlockEngine::State::WaitingForStart ? 0 : e.trialsPresented();
        if (shown == reported || e.state() == BlockEngine::State::Delay)
            return;
        reported = shown;
        const ScreenRect c = pointer->confinement();
        std::string side = "none";
        if (shown > 0 && e.state() != BlockEngine::State::Closed) {
            const int i = shown - 1;
            side = e.plan().category[i] == s.leftCategory[e.plan().pair[i]] ? "left" : "right";
        }
        std::ofstream out(statusPath + ".tmp");
        out << "trial " << shown << " side " << side << " confinement " << c.left << " " << c.top << " " << c.right
            << " " << c.bottom << "\n";
        out.close();
        std::rename((statusPath + ".tmp").c_str(), statusPath.c_str());
    });
    reporter.start(5);

    const BlockRun run = window.runBlock(s, &results);
    reporter.stop();
    {
        const ScreenRect c = pointer->confinement();
        std::ofstream out(statusPath + ".tmp");
        out << "closed confinement " << c.left << " " << c.top << " " << c.right << " " << c.bottom << "\n";
        out.close();
        std::rename((statusPath + ".tmp").c_str(), statusPath.c_str());
    }
    // Stays connected (the pointer as the block left it) until the test has looked.
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(QString::fromStdString(statusPath + ".quit")) && waited.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    std::printf("result %d\n", static_cast<int>(run.end));
    for (int t = 0; t < s.trials; ++t) {
        const TrialResult& r = results[t];
        std::printf("trial %d latency %d wrong %d key %s\n", r.trialNumber, r.latency, r.wrongResponses,
                    r.responseSide.c_str());
    }
    std::printf("totals %.0f %.0f\n", run.totals.totalLatency, run.totals.percentCorrect);
    const ScreenRect c = pointer->confinement();
    std::printf("confinement after %d %d %d %d\n", c.left, c.top, c.right, c.bottom);
    std::fflush(stdout);
    return 0;
}
