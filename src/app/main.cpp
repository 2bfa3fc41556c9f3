// truv: the experiment program.
#include <csignal>

#include <QApplication>

#include "app/application_window.h"

int main(int argc, char* argv[])
{
    // A write past the file size limit fails with EFBIG instead of killing the
    // program: the run keeps the lines in a rescue file and goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    // The X11 platform, through XWayland in a Wayland session: pointer confinement and
    // key time stamps are X11's. A platform the user chose is kept.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    ExperimentApp app;
    return app.initInstance();
}
