// truv: the experiment program.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QApplication>

#include "app/application_window.h"
#include "platform/desktop_session.h"

int main(int argc, char* argv[])
{
    // A write past the file size limit fails with EFBIG instead of killing the
    // program: the run keeps the lines in a rescue file and goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    // --x11 is the program's own option; every other argument is left to Qt.
    bool x11 = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], x11Option) == 0)
            x11 = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    argv[argc] = nullptr;
    // Natively on Wayland in a Wayland session (XWayland where that cannot start, or
    // with --x11), X11 elsewhere; a platform the user chose is kept.
    const std::string platform = chooseQtPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"),
                                                  std::getenv("XDG_SESSION_TYPE"), x11);
    if (!platform.empty())
        qputenv("QT_QPA_PLATFORM", platform.c_str());
    QApplication application(argc, argv);
    ExperimentApp app;
    return app.initInstance();
}
