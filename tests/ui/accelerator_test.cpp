// The application-wide key filter and the accelerator target slot.
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "app/application_window.h"

namespace {

// Stands in for the task window: records the commands posted to it.
class CommandRecorder : public QWidget {
public:
    std::vector<TaskCommand> commands;
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == CommandEvent::eventType()) {
            commands.push_back(static_cast<CommandEvent*>(e)->command());
            return true;
        }
        return QWidget::event(e);
    }
};

class AcceleratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.acceleratorSlot().table = &participantShortcuts();
        qApp->installEventFilter(&app);
        edit.show();
    }
    void TearDown() override { qApp->removeEventFilter(&app); }

    void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(&edit, key, mods);
        QCoreApplication::processEvents();  // deliver the posted commands
    }

    ExperimentApp app;
    QLineEdit edit;  // has the focus; the keys reach it unless translated
};

}  // namespace

TEST_F(AcceleratorTest, TranslatesKeysForTheVisibleTargetAndConsumesThem)
{
    CommandRecorder target;
    target.show();
    app.acceleratorSlot().target = &target;

    press(Qt::Key_A);
    press(Qt::Key_5, Qt::KeypadModifier);
    press(Qt::Key_Clear, Qt::KeypadModifier);  // the keypad's 5 with NumLock off
    press(Qt::Key_Space);
    press(Qt::Key_K, Qt::AltModifier);
    EXPECT_EQ(target.commands,
              (std::vector<TaskCommand>{TaskCommand::LeftResponse, TaskCommand::RightResponse,
                                        TaskCommand::RightResponse, TaskCommand::StartBlock, TaskCommand::SkipBlock}));
    EXPECT_TRUE(edit.text().isEmpty()) << "translated keys must not reach the focused widget";

    // Keys outside the table pass through untouched.
    target.commands.clear();
    press(Qt::Key_5);
    press(Qt::Key_A, Qt::ShiftModifier);
    press(Qt::Key_B);
    EXPECT_TRUE(target.commands.empty());
    EXPECT_EQ(edit.text().toLower(), "5ab");
}

TEST_F(AcceleratorTest, KeysDoNothingWithoutAVisibleLiveTarget)
{
    // Empty slot.
    press(Qt::Key_A);
    EXPECT_EQ(edit.text(), "a");

    // A hidden target.
    auto* target = new CommandRecorder;
    app.acceleratorSlot().target = target;
    press(Qt::Key_A);
    EXPECT_TRUE(target->commands.empty());
    EXPECT_EQ(edit.text(), "aa");

    // A target that was destroyed leaves the slot empty, never dangling.
    target->show();
    delete target;
    EXPECT_TRUE(app.acceleratorSlot().target.isNull());
    press(Qt::Key_A);
    EXPECT_EQ(edit.text(), "aaa");
}

// The keypad's 5 as each platform reports it: with NumLock on (5 with the keypad flag),
// off (Clear with the flag), and off on Qt's Wayland platform, which leaves the flag
// off and gives the key's symbol KP_Begin; Clear elsewhere (its own key) and the main
// keyboard's 5 are not the keypad's.
TEST(KeyStrokes, TheKeypadsFiveOnEveryPlatform)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        quint32 keysym;
        Key expected;
        bool keypad;
    };
    const Case cases[] = {
        {Qt::Key_5, Qt::KeypadModifier, 0xffb5, Key::Digit5, true},
        {Qt::Key_Clear, Qt::KeypadModifier, 0xff9d, Key::Digit5, true},
        {Qt::Key_Clear, Qt::NoModifier, 0xff9d, Key::Digit5, true},
        {Qt::Key_5, Qt::NoModifier, 0xffb5, Key::Digit5, true},
        {Qt::Key_Clear, Qt::NoModifier, 0xff0b, Key::Other, false},
        {Qt::Key_5, Qt::NoModifier, 0x35, Key::Digit5, false},
    };
    for (const Case& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.mods, 0, c.keysym, 0);
        const KeyStroke stroke = keyStrokeOf(event);
        EXPECT_EQ(stroke.key, c.expected) << std::hex << c.keysym;
        EXPECT_EQ(stroke.keypad, c.keypad) << std::hex << c.keysym;
    }
}
