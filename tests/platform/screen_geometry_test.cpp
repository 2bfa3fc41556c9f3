#include "platform/desktop_session.h"
#include "platform/screen_geometry.h"

#include <gtest/gtest.h>

// Qt's device-independent pixels become the display server's: distances from the
// screen's origin scale by the ratio, the origin itself stays.
TEST(ScreenGeometry, DeviceIndependentPixelsScaleFromTheScreensOrigin)
{
    const struct {
        int left, top, width, height;
        ScreenPoint origin;
        double ratio;
        ScreenRect device;
    } cases[] = {
        {440, 362, 400, 300, {0, 0}, 1.0, {440, 362, 840, 662}},
        {440, 362, 400, 300, {0, 0}, 1.5, {660, 543, 1260, 993}},
        {2360, 362, 400, 300, {1920, 0}, 2.0, {2800, 724, 3600, 1324}},  // a second monitor
        {0, 0, 853, 683, {0, 0}, 1.5, {0, 0, 1280, 1025}},               // rounded to nearest
    };
    for (const auto& c : cases)
        EXPECT_EQ(toDevicePixels(c.left, c.top, c.width, c.height, c.origin, c.ratio), c.device);
}

TEST(DesktopSession, WaylandIsTheDisplayOrTheSessionType)
{
    EXPECT_FALSE(isWaylandSession(nullptr, nullptr));
    EXPECT_FALSE(isWaylandSession("", "x11"));
    EXPECT_FALSE(isWaylandSession(nullptr, "tty"));
    EXPECT_TRUE(isWaylandSession("wayland-0", nullptr));
    EXPECT_TRUE(isWaylandSession(nullptr, "wayland"));
    EXPECT_TRUE(isWaylandSession("wayland-0", "x11"));
}

TEST(DesktopSession, ThePlatformIsNativeInAWaylandSessionUnlessTheUserChoseOne)
{
    struct Case {
        const char* user;
        const char* display;
        const char* type;
        bool x11;
        const char* platform;
    };
    const Case cases[] = {
        {nullptr, "wayland-0", nullptr, false, "wayland;xcb"},
        {nullptr, nullptr, "wayland", false, "wayland;xcb"},
        {"", "wayland-0", nullptr, false, "wayland;xcb"},
        {nullptr, "wayland-0", nullptr, true, "xcb"},
        {nullptr, nullptr, "x11", false, "xcb"},
        {nullptr, nullptr, nullptr, true, "xcb"},
        {"offscreen", "wayland-0", nullptr, false, ""},
        {"wayland", nullptr, nullptr, true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseQtPlatform(c.user, c.display, c.type, c.x11), c.platform)
            << (c.user ? c.user : "-") << " " << (c.display ? c.display : "-") << " " << c.x11;
}
