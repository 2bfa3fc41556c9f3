#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/participant_screens.h"
#include "common/ui/template_dialog.h"

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
