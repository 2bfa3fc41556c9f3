// truv: the experiment program.
#include <QApplication>

#include "app/application_window.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    ExperimentApp app;
    return app.initInstance();
}
