#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/participant_screens.h"
#include "common/ui/screen_host.h"
#include "common/ui/template_dialog.h"
#include "common/ui/warning_dialog.h"
#include "task/ui/next_block_dialog.h"
#include "task/ui/task_window.h"

namespace {

const DialogTemplate& blankDialog()
{
    static const DialogTemplate t{"", 100, 50, 8, {}};
    return t;
}

}  // namespace

// During a run the dialogs made offer no minimize or maximize button and have a
// blank title; a window minimized or maximized all the same is restored at once.
// Before and after, dialogs are ordinary.
TEST(ParticipantScreens, RunScreensCannotBeHiddenAndOrdinaryDialogsAreUntouched)
{
    QWidget frame;
    frame.show();
    {
        const ParticipantScreens guard(&frame);
        TemplateDialog dialog(blankDialog());
        const Qt::WindowFlags flags = dialog.windowFlags();
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral(" "));
        EXPECT_TRUE(frame.windowHandle()->flags() & Qt::WindowStaysOnTopHint);

        dialog.show();
        for (const Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowMaximized}) {
            dialog.setWindowState(state);
            const auto restored = [&] { return !(dialog.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)); };
            for (int waited = 0; waited < 5000 && !restored(); waited += 20)
                QTest::qWait(20);
            EXPECT_TRUE(restored()) << "state " << state;
            EXPECT_TRUE(dialog.isVisible());
        }
    }
    EXPECT_FALSE(frame.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    TemplateDialog after(blankDialog());
    EXPECT_FALSE(after.windowFlags() & Qt::CustomizeWindowHint);
    EXPECT_TRUE(after.windowTitle().isEmpty());
}

// Drawn in the frame (a display system that places no windows): every dialog made
// during the run is a child of the frame, its outer frame (caption and border) centred
// on it, the task window's geometry given in the frame's coordinates; a dialog shown
// over another disables it and takes the keyboard, and gives both back when hidden.
TEST(ParticipantScreens, InTheFrameScreensAreCentredAndStackLikeModalDialogs)
{
    QWidget frame;
    frame.resize(1000, 800);
    frame.show();
    frame.activateWindow();
    AcceleratorSlot slot;
    HeadlessPointer pointer;
    MonotonicClock clock;
    const ParticipantScreens guard(&frame, true);
    NextBlockDialog below(&frame);
    WarningDialog above(QStringLiteral("Any unsaved changes will be lost."), &below);
    TaskWindow task(slot, pointer, clock, makeTaskFont(), &frame);
    const QPoint centre = frame.rect().center();
    for (QWidget* screen :
         {static_cast<QWidget*>(&below), static_cast<QWidget*>(&above), static_cast<QWidget*>(&task)}) {
        EXPECT_FALSE(screen->isWindow());
        EXPECT_EQ(screen->parentWidget(), &frame);
        screen->show();
        const QRect outer = ScreenHost::outerRect(screen);
        EXPECT_LE((outer.center() - centre).manhattanLength(), 1) << outer.x() << "," << outer.y();
        EXPECT_GT(outer.top(), 0);
        EXPECT_LT(outer.top(), screen->y()) << "the caption is above the dialog";
        screen->hide();
    }
    const WindowGeometry geometry = task.windowGeometry();
    const QRect outer = ScreenHost::outerRect(&task);
    EXPECT_EQ(geometry.frame, (ScreenRect{outer.left(), outer.top(), outer.right() + 1, outer.bottom() + 1}));
    EXPECT_EQ(geometry.screen, (ScreenRect{0, 0, 1000, 800}));

    below.show();
    above.show();
    EXPECT_FALSE(below.isEnabled());
    EXPECT_TRUE(above.isAncestorOf(frame.focusWidget()));
    above.hide();
    EXPECT_TRUE(below.isEnabled());
    EXPECT_TRUE(below.isAncestorOf(frame.focusWidget()));
}
