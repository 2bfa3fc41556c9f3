// The task window on the offscreen platform: its layout, the keys through the
// accelerator target slot, and how it closes.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "app/application_window.h"
#include "layout_check.h"
#include "support/sample_items.h"
#include "task/ui/task_window.h"

namespace {

class TaskWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.acceleratorSlot().table = &participantShortcuts();
        qApp->installEventFilter(&app);
        settings = sampleBlockSettings(6, 20, {1, 0});
        fillPlaceholders(results);
    }
    void TearDown() override { qApp->removeEventFilter(&app); }

    // Plays the participant from inside the window's event loop: Space, then for
    // every word the wrong key once (on the second word) and the right key.
    void playParticipant(QTimer& timer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            BlockEngine& e = window.engine();
            if (e.state() == BlockEngine::State::WaitingForStart) {
                QTest::keyClick(&window, Qt::Key_Space);
            } else if (e.state() == BlockEngine::State::WordShown) {
                const int i = e.trialsPresented() - 1;
                const bool left = e.plan().category[i] == settings.leftCategory[e.plan().pair[i]];
                const auto press = [this](bool l) {
                    if (l)
                        QTest::keyClick(&window, Qt::Key_A);
                    else
                        QTest::keyClick(&window, Qt::Key_5, Qt::KeypadModifier);
                };
                if (i == 1)
                    press(!left);
                press(left);
            }
        });
        timer.start(5);
    }

    ExperimentApp app;
    HeadlessPointer pointer{{1280, 1024}};
    MonotonicClock clock;
    TaskWindow window{app.acceleratorSlot(), pointer, clock, makeTaskFont()};
    BlockSettings settings;
    TrialResults results;
};

}  // namespace

TEST_F(TaskWindowTest, IsLaidOutAsItsTableWithDisabledFlatButtons)
{
    expectLaidOutAsTable(window, TaskWindow::dialogTemplate());
    EXPECT_TRUE(window.windowTitle().isEmpty());
    for (int id : {TaskWindow::StartId, TaskWindow::LeftId, TaskWindow::RightId}) {
        auto* button = window.control<QPushButton>(id);
        EXPECT_FALSE(button->isEnabled()) << id;
        EXPECT_TRUE(button->isFlat()) << id;
    }
    for (int id : {TaskWindow::UpperLeftId, TaskWindow::UpperRightId, TaskWindow::LowerLeftId, TaskWindow::LowerRightId,
                   TaskWindow::WordId, TaskWindow::FeedbackId})
        EXPECT_NE(window.area(id), nullptr) << id;
    // The run's font: about ten pixels a character.
    EXPECT_NEAR(baseUnitsOf(makeTaskFont()).averageCharWidth, 10, 1);
}

TEST_F(TaskWindowTest, RunsABlockFromTheKeysAndRestoresThePointer)
{
    QTimer timer;
    playParticipant(timer);
    const BlockEnd end = window.runBlock(settings, &results).end;
    timer.stop();

    EXPECT_EQ(end, BlockEnd::Completed);
    EXPECT_EQ(app.acceleratorSlot().target, &window) << "the window registers itself and stays registered";
    for (int t = 0; t < 6; ++t) {
        const TrialResult& r = results[t];
        EXPECT_EQ(r.trialNumber, t + 1);
        EXPECT_GE(r.latency, 0);
        EXPECT_LT(r.latency, 60000);
        EXPECT_EQ(r.wrongResponses, t == 1 ? 1 : 0);
        EXPECT_EQ(r.responseSide, sideAt(window.engine().plan().startRow, t) == 0 ? "l" : "r");
    }
    // The labels as given, the last feedback a green "O", the word cleared.
    EXPECT_EQ(window.area(TaskWindow::UpperLeftId)->text(), "Tools");
    EXPECT_EQ(window.area(TaskWindow::LowerRightId)->text(), "Theirs");
    EXPECT_EQ(window.area(TaskWindow::FeedbackId)->text(), "O");
    EXPECT_EQ(window.area(TaskWindow::FeedbackId)->colour(), QColor(0, 255, 0));
    EXPECT_EQ(window.area(TaskWindow::WordId)->text(), "");
    EXPECT_EQ(pointer.confinement(), (ScreenRect{0, 0, 1280, 1024}));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TaskWindowTest, EnterEscapeAndTheCloseCommandLeaveTheBlockRunningAndAltKEndsIt)
{
    // Tried before START and after one answered word: each stray ending leaves the
    // window open in the state it was in; Alt+K then ends the block as a cancel.
    const std::pair<const char*, std::function<void()>> strays[] = {
        {"Return", [this] { QTest::keyClick(&window, Qt::Key_Return); }},
        {"keypad Enter", [this] { QTest::keyClick(&window, Qt::Key_Enter, Qt::KeypadModifier); }},
        {"Escape", [this] { QTest::keyClick(&window, Qt::Key_Escape); }},
        {"close command", [this] { window.close(); }},
    };
    for (const bool started : {false, true}) {
        SCOPED_TRACE(started ? "after START" : "before START");
        fillPlaceholders(results);
        std::vector<std::function<void()>> steps;
        if (started) {
            steps.push_back([this] { QTest::keyClick(&window, Qt::Key_Space); });
            steps.push_back([this] { QTest::keyClick(&window, Qt::Key_A); });
        }
        std::optional<BlockEngine::State> before;
        for (const auto& [what, act] : strays) {
            steps.push_back([&, act = act] {
                before = window.engine().state();
                act();
            });
            steps.push_back([&, what = what] {
                EXPECT_EQ(window.engine().state(), *before) << what;
                EXPECT_TRUE(window.isVisible()) << what;
            });
        }
        steps.push_back([this] { QTest::keyClick(&window, Qt::Key_K, Qt::AltModifier); });
        std::size_t next = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            // Only once the block is open: the window first waits to be shown.
            const BlockEngine::State state = window.engine().state();
            if (next < steps.size() && state != BlockEngine::State::Idle && state != BlockEngine::State::Closed)
                steps[next++]();
        });
        timer.start(5);
        const BlockRun run = window.runBlock(settings, &results);
        timer.stop();

        EXPECT_EQ(next, steps.size()) << "the block ended before Alt+K";
        EXPECT_EQ(run.end, BlockEnd::Skipped);
        EXPECT_NE(*before, BlockEngine::State::Closed);
        EXPECT_EQ(*before == BlockEngine::State::WaitingForStart, !started);
        EXPECT_EQ(run.totals.totalLatency, 0);
        EXPECT_EQ(results[5].latency, 99999);
        // The engine gives the pointer back the rectangle it saved.
        EXPECT_EQ(window.engine().savedConfinement(), (ScreenRect{0, 0, 1280, 1024}));
        EXPECT_EQ(pointer.confinement(), (ScreenRect{0, 0, 1280, 1024}));
    }
}

// Where the display reports no refreshes (here: no display at all) the window says
// so, and a word it is asked to present is drawn and timed after drawing, counted as
// a missed frame, with the prepared text in the word area.
TEST_F(TaskWindowTest, WithoutRefreshReportsAPresentedWordIsDrawnAndCountedMissed)
{
    EXPECT_EQ(window.onsetSource(), OnsetSource::AfterDrawing);
    EXPECT_EQ(window.refreshClock(), nullptr);
    window.prepareWords({{"apple", TextColour::Pair1}, {"\xe9t\xe9", TextColour::Pair2}});
    const std::int64_t before = clock.nowMicroseconds();
    const Presentation shown = window.presentWord(1, Refresh{42, before + 16'667});
    EXPECT_TRUE(shown.missed);
    EXPECT_GE(shown.onset, before);
    EXPECT_EQ(shown.refresh, 0u);
    EXPECT_EQ(window.area(TaskWindow::WordId)->text(), QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
}
