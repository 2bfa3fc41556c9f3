#include "app/display_scale_check.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <qpa/qplatformscreen.h>

#include "common/truv_options.h"
#include "common/ui/template_dialog.h"
#include "task/ui/task_window.h"

std::string displayScaleRefusal(double scale)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    // The task window is as large as its table in the task font's dialog units, in
    // Qt's pixels; the screen's device pixels are the display server's own, unrounded.
    const DialogTemplate& t = TaskWindow::dialogTemplate();
    const DialogBaseUnits base = baseUnitsOf(dialogFont(t.pointSize));
    const double ratio = screen->devicePixelRatio();
    const ScreenSize window{static_cast<int>(std::lround(dialogUnitsToPixelsX(t.width, base) * ratio)),
                            static_cast<int>(std::lround(dialogUnitsToPixelsY(t.height, base) * ratio))};
    const QRect native = screen->handle() != nullptr ? screen->handle()->geometry()
                                                     : QRect(QPoint(), screen->geometry().size() * ratio);
    return scaleRefusal(scale, window, {native.width(), native.height()});
}
