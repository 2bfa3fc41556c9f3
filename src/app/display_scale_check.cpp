#include "app/display_scale_check.h"

#include <algorithm>
#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <qpa/qplatformscreen.h>

#include "common/truv_options.h"
#include "common/ui/template_dialog.h"
#include "files/ui/list_review_dialog.h"
#include "instructions/ui/instruction_page_dialog.h"
#include "questionnaire/ui/list_question_dialog.h"
#include "questionnaire/ui/radio_question_dialog.h"
#include "questionnaire/ui/text_question_dialog.h"
#include "task/ui/block_feedback_dialog.h"
#include "task/ui/next_block_dialog.h"
#include "task/ui/task_window.h"

std::string displayScaleRefusal(double scale)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    // Every screen the participant sees must fit, not only the task window: each is as
    // large as its table in its font's dialog units, in Qt's pixels; the screen's device
    // pixels are the display server's own, unrounded. The largest width and the largest
    // height of them are checked together.
    const double ratio = screen->devicePixelRatio();
    ScreenSize window{0, 0};
    for (const DialogTemplate* t : {&TaskWindow::dialogTemplate(), &ListReviewDialog::dialogTemplate(),
                                    &InstructionPageDialog::dialogTemplate(), &TextQuestionDialog::dialogTemplate(),
                                    &ListQuestionDialog::dialogTemplate(), &RadioQuestionDialog::dialogTemplate(),
                                    &NextBlockDialog::dialogTemplate(), &BlockFeedbackDialog::dialogTemplate()}) {
        const DialogBaseUnits base = baseUnitsOf(dialogFont(t->pointSize));
        window.width = std::max(window.width,
                                static_cast<int>(std::lround(dialogUnitsToPixelsX(t->width, base) * ratio)));
        window.height = std::max(window.height,
                                 static_cast<int>(std::lround(dialogUnitsToPixelsY(t->height, base) * ratio)));
    }
    const QRect native = screen->handle() != nullptr ? screen->handle()->geometry()
                                                     : QRect(QPoint(), screen->geometry().size() * ratio);
    return scaleRefusal(scale, window, {native.width(), native.height()});
}
