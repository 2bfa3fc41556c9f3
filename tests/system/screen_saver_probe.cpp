// Looks at, and sets, the X server's screen saver and DPMS for the system tests:
//   screen_saver_probe query      prints "saver=on|off|disabled idle=MS dpms=absent|enabled|disabled"
//   screen_saver_probe timeout S  sets the screen saver to start after S seconds idle (0: never)
//   screen_saver_probe reset      switches an active screen saver off, as input does
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* saverState(Display* display)
{
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    const char* state = "unknown";
    if (info != nullptr && XScreenSaverQueryInfo(display, DefaultRootWindow(display), info)) {
        state = info->state == ScreenSaverOn ? "on" : info->state == ScreenSaverOff ? "off" : "disabled";
        std::printf("saver=%s idle=%lu ", state, info->idle);
    }
    XFree(info);
    return state;
}

const char* dpmsState(Display* display)
{
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(display, DPMSExtensionName, &opcode, &event, &error) || !DPMSCapable(display))
        return "absent";
    CARD16 level = 0;
    BOOL enabled = False;
    DPMSInfo(display, &level, &enabled);
    return enabled ? "enabled" : "disabled";
}

}  // namespace

int main(int argc, char* argv[])
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "screen_saver_probe: cannot open the display\n");
        return 2;
    }
    int status = 0;
    if (argc == 2 && std::strcmp(argv[1], "query") == 0) {
        saverState(display);
        std::printf("dpms=%s\n", dpmsState(display));
    } else if (argc == 3 && std::strcmp(argv[1], "timeout") == 0) {
        XSetScreenSaver(display, std::atoi(argv[2]), 0, DefaultBlanking, DefaultExposures);
    } else if (argc == 2 && std::strcmp(argv[1], "reset") == 0) {
        XResetScreenSaver(display);
    } else {
        std::fprintf(stderr, "usage: screen_saver_probe query | timeout SECONDS | reset\n");
        status = 2;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return status;
}
