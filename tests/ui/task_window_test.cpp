// The task window on the offscreen platform: its layout, the keys through the
// accelerator target slot, and how it closes.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/application_window.h"
#include "layout_check.h"
#include "support/sample_items.h"
#include "task/task_window.h"

namespace {

class TaskWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.acceleratorSlot().table = &participantShortcuts();
        qApp->installEventFilter(&app);
        settings = sampleBlockSettings(6, 20, {1, 0});
        fillPlaceholders(window.results());
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
};

} // namespace

TEST_F(TaskWindowTest, IsLaidOutAsItsTableWithDisabledFlatButtons)
{
    expectLaidOutAsTable(window, TaskWindow::layout());
    EXPECT_TRUE(window.windowTitle().isEmpty());
    for (int id : {TaskWindow::StartId, TaskWindow::LeftId, TaskWindow::RightId}) {
        auto* button = window.control<QPushButton>(id);
        EXPECT_FALSE(button->isEnabled()) << id;
        EXPECT_TRUE(button->isFlat()) << id;
    }
    for (int id : {TaskWindow::UpperLeftId, TaskWindow::UpperRightId, TaskWindow::LowerLeftId,
                   TaskWindow::LowerRightId, TaskWindow::WordId, TaskWindow::FeedbackId})
        EXPECT_NE(window.area(id), nullptr) << id;
    // The run's font: about ten pixels a character.
    EXPECT_NEAR(baseUnitsOf(makeTaskFont()).averageCharWidth, 10, 1);
}

TEST_F(TaskWindowTest, RunsABlockFromTheKeysAndRestoresThePointer)
{
    QTimer timer;
    playParticipant(timer);
    const int result = window.runBlock(settings);
    timer.stop();

    EXPECT_EQ(result, 0);
    EXPECT_EQ(app.acceleratorSlot().target, &window) << "the window registers itself and stays registered";
    for (int t = 0; t < 6; ++t) {
        const TrialResult& r = window.results()[t];
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

TEST_F(TaskWindowTest, EnterClosesWithOneEscapeAndSkipWithTwo)
{
    struct Case { const char* what; Qt::Key key; Qt::KeyboardModifiers mods; int expected; };
    const Case cases[] = {
        {"Enter", Qt::Key_Return, Qt::NoModifier, 1},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, 2},
        {"Alt+K", Qt::Key_K, Qt::AltModifier, 2},
    };
    for (const Case& c : cases) {
        fillPlaceholders(window.results());
        window.totals() = {};
        int presses = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            // Start, answer one word, then the closing key.
            if (presses == 0)
                QTest::keyClick(&window, Qt::Key_Space);
            else if (presses == 1)
                QTest::keyClick(&window, Qt::Key_A);
            else if (presses == 2)
                QTest::keyClick(&window, c.key, c.mods);
            ++presses;
        });
        timer.start(5);
        const int result = window.runBlock(settings);
        timer.stop();
        EXPECT_EQ(result, c.expected) << c.what;
        EXPECT_EQ(window.totals().totalLatency, 0) << c.what;
        EXPECT_EQ(window.results()[5].latency, 99999) << c.what;
        // The pointer stays confined: the caller restores the saved rectangle.
        EXPECT_NE(pointer.confinement(), (ScreenRect{0, 0, 1280, 1024})) << c.what;
        EXPECT_EQ(window.engine().savedConfinement(), (ScreenRect{0, 0, 1280, 1024})) << c.what;
        pointer.setConfinement(window.engine().savedConfinement());
    }
}
