// truv: the experiment program.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QMessageBox>

#include "app/application_window.h"
#include "app/display_scale_check.h"
#include "common/truv_options.h"
#include "platform/desktop_session.h"

int main(int argc, char* argv[])
{
    // A write past the file size limit fails with EFBIG instead of killing the
    // program: the run keeps the lines in a rescue file and goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    // --x11, --scale and --help are the program's own; every other argument is left
    // to Qt.
    std::string error;
    std::optional<TruvCommandLine> line = parseTruvCommandLine({argv + 1, argv + argc}, error);
    if (!line) {
        std::fprintf(stderr, "truv: %s\nTry 'truv --help'.\n", error.c_str());
        return 2;
    }
    if (line->help) {
        std::fputs(truvUsageText(), stdout);
        return 0;
    }
    std::vector<char*> qtArgv{argv[0]};
    for (std::string& arg : line->qtArgs)
        qtArgv.push_back(arg.data());
    int qtArgc = static_cast<int>(qtArgv.size());
    qtArgv.push_back(nullptr);
    // Natively on Wayland in a Wayland session (XWayland where that cannot start, or
    // with --x11), X11 elsewhere; a platform the user chose is kept.
    const std::string platform = chooseQtPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"),
                                                  std::getenv("XDG_SESSION_TYPE"), line->x11);
    if (!platform.empty())
        qputenv("QT_QPA_PLATFORM", platform.c_str());
    // Qt scales every window, font and pixel map by its own factor, set before it
    // starts; without --scale the environment's factor, if any, is kept.
    if (line->scale)
        qputenv("QT_SCALE_FACTOR", scaleText(*line->scale).c_str());
    QApplication application(qtArgc, qtArgv.data());
    // The primary screen's size is known only now: a scale that leaves the task window
    // cut off is refused before anything is shown.
    if (line->scale && *line->scale > 1) {
        if (const std::string refusal = displayScaleRefusal(*line->scale); !refusal.empty()) {
            std::fprintf(stderr, "truv: %s\n", refusal.c_str());
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Display scale"), QString::fromStdString(refusal));
            box.setTextFormat(Qt::PlainText);
            box.exec();
            return 2;
        }
    }
    ExperimentApp app;
    return app.initInstance();
}
