#include "platform/x11/pointer.h"

// gtest first: Xlib defines None and Bool as macros, which gtest also uses as names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

// These tests need an X display whose screen is 1280 by 1024; CTest runs them in Xvfb.

namespace {

constexpr ScreenRect wholeScreen{0, 0, 1280, 1024};

// Another client on the same display: what it sees and does stands for the rest of the
// desktop (the window manager, a stray warp, a second program).
class OtherClient {
public:
    // A server busy with other clients can refuse a connection for a moment.
    OtherClient()
    {
        for (int attempt = 0; attempt < 50 && display_ == nullptr; ++attempt) {
            display_ = XOpenDisplay(nullptr);
            if (display_ == nullptr)
                usleep(20000);
        }
    }
    ~OtherClient()
    {
        if (display_ != nullptr)
            XCloseDisplay(display_);
    }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    bool connected() const { return display_ != nullptr; }

    void warp(int x, int y)
    {
        XWarpPointer(display_, None, DefaultRootWindow(display_), 0, 0, 0, 0, x, y);
        XSync(display_, False);
    }

    ScreenPoint position()
    {
        Window root = None;
        Window child = None;
        int x = 0;
        int y = 0;
        int windowX = 0;
        int windowY = 0;
        unsigned int mask = 0;
        XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &x, &y, &windowX, &windowY, &mask);
        return {x, y};
    }

    int grab()
    {
        return XGrabPointer(display_, DefaultRootWindow(display_), False, 0, GrabModeAsync, GrabModeAsync, None, None,
                            CurrentTime);
    }

    void ungrab()
    {
        XUngrabPointer(display_, CurrentTime);
        XSync(display_, False);
    }

    // A mapped window of this client, as a program's top-level window stands.
    unsigned long mapWindow(int x, int y, unsigned int width, unsigned int height)
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        const Window window = XCreateWindow(display_, DefaultRootWindow(display_), x, y, width, height, 0,
                                            CopyFromParent, InputOutput, CopyFromParent, CWOverrideRedirect,
                                            &attributes);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    // Whether the pointer is free of other grabs: a grab of ours succeeds (and is let go).
    bool pointerFree()
    {
        if (grab() != GrabSuccess)
            return false;
        ungrab();
        return true;
    }

private:
    Display* display_ = nullptr;
};

class X11PointerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pointer_ = X11Pointer::open(false);
        ASSERT_NE(pointer_, nullptr) << "no X display; run under xvfb-run";
        ASSERT_TRUE(other_.connected());
    }

    std::unique_ptr<X11Pointer> pointer_;
    OtherClient other_;
};

}  // namespace

TEST(X11PointerOpen, GivesNothingWithoutADisplay)
{
    std::optional<std::string> saved;
    if (const char* display = std::getenv("DISPLAY"))
        saved = display;
    setenv("DISPLAY", ":31999", 1);  // a display no server answers
    EXPECT_EQ(X11Pointer::open(false), nullptr);
    unsetenv("DISPLAY");
    EXPECT_EQ(X11Pointer::open(false), nullptr);
    if (saved)
        setenv("DISPLAY", saved->c_str(), 1);
}

TEST_F(X11PointerTest, StartsWithTheScreenAndNoConfinement)
{
    EXPECT_EQ(pointer_->screenSize(), (ScreenSize{1280, 1024}));
    EXPECT_EQ(pointer_->confinement(), wholeScreen);
    EXPECT_TRUE(other_.pointerFree());
}

// The move is done when setPosition returns: another client sees it at once.
TEST_F(X11PointerTest, SetPositionMovesThePointer)
{
    pointer_->setPosition({100, 200});
    EXPECT_EQ(pointer_->position(), (ScreenPoint{100, 200}));
    EXPECT_EQ(other_.position(), (ScreenPoint{100, 200}));

    pointer_->setPosition({1280, 1024});
    EXPECT_EQ(pointer_->position(), (ScreenPoint{1279, 1023}));

    other_.warp(7, 9);
    EXPECT_EQ(pointer_->position(), (ScreenPoint{7, 9}));
}

TEST_F(X11PointerTest, ConfinementHoldsAgainstWarpsOfOtherClients)
{
    const ScreenRect rect{100, 150, 400, 350};
    pointer_->setPosition({10, 10});
    pointer_->setConfinement(rect);
    EXPECT_EQ(pointer_->confinement(), rect);
    EXPECT_EQ(pointer_->position(), (ScreenPoint{100, 150})) << "moved in when confined";

    other_.warp(0, 0);
    EXPECT_EQ(other_.position(), (ScreenPoint{100, 150}));
    other_.warp(1279, 1023);
    EXPECT_EQ(other_.position(), (ScreenPoint{399, 349}));
    other_.warp(250, 250);
    EXPECT_EQ(other_.position(), (ScreenPoint{250, 250}));
    EXPECT_FALSE(other_.pointerFree());

    // The home point beyond the screen's corner rests at the rectangle's last pixel.
    pointer_->setPosition({1280, 1024});
    EXPECT_EQ(pointer_->position(), (ScreenPoint{399, 349}));
}

TEST_F(X11PointerTest, NewRectangleReplacesTheOldAndIsClippedToTheScreen)
{
    pointer_->setConfinement({100, 100, 300, 300});
    pointer_->setConfinement({1000, 900, 2000, 2000});
    EXPECT_EQ(pointer_->confinement(), (ScreenRect{1000, 900, 1280, 1024}));

    other_.warp(0, 0);
    EXPECT_EQ(other_.position(), (ScreenPoint{1000, 900}));
    other_.warp(1279, 1023);
    EXPECT_EQ(other_.position(), (ScreenPoint{1279, 1023}));
    pointer_->setPosition({200, 200});
    EXPECT_EQ(pointer_->position(), (ScreenPoint{1000, 900}));
}

TEST_F(X11PointerTest, WholeScreenOrMoreReleasesThePointer)
{
    for (const ScreenRect lift : {wholeScreen, ScreenRect{-100, -100, 3000, 3000}}) {
        pointer_->setConfinement({500, 500, 600, 600});
        ASSERT_FALSE(other_.pointerFree());

        pointer_->setConfinement(lift);
        EXPECT_EQ(pointer_->confinement(), wholeScreen);
        EXPECT_TRUE(other_.pointerFree());
        other_.warp(3, 4);
        EXPECT_EQ(other_.position(), (ScreenPoint{3, 4}));
        pointer_->setPosition({1200, 1000});
        EXPECT_EQ(pointer_->position(), (ScreenPoint{1200, 1000}));
    }
}

TEST_F(X11PointerTest, DestroyingThePointerReleasesTheGrab)
{
    pointer_->setConfinement({200, 200, 300, 300});
    ASSERT_FALSE(other_.pointerFree());
    pointer_.reset();

    EXPECT_TRUE(other_.pointerFree());
    other_.warp(5, 6);
    EXPECT_EQ(other_.position(), (ScreenPoint{5, 6}));
}

// While another client holds the pointer, the rectangle is still kept and positions set
// here are clamped into it; once that grab ends, the next setPosition takes the grab.
TEST_F(X11PointerTest, RefusedGrabStillKeepsTheRectangleAndIsRetaken)
{
    const ScreenRect rect{400, 300, 800, 600};
    ASSERT_EQ(other_.grab(), GrabSuccess);
    pointer_->setConfinement(rect);
    EXPECT_EQ(pointer_->confinement(), rect);
    pointer_->setPosition({0, 0});
    EXPECT_EQ(pointer_->position(), (ScreenPoint{400, 300}));
    pointer_->setPosition({1280, 1024});
    EXPECT_EQ(pointer_->position(), (ScreenPoint{799, 599}));

    other_.ungrab();
    pointer_->setPosition({500, 500});
    EXPECT_EQ(pointer_->position(), (ScreenPoint{500, 500}));
    other_.warp(0, 0);
    EXPECT_EQ(other_.position(), (ScreenPoint{400, 300}));
    EXPECT_FALSE(other_.pointerFree());
}

// On a display that holds the pointer only to whole windows (XWayland), the grab is
// confined to the window the rectangle lies in, while positions set here still keep to
// the rectangle. Without a window set, the rectangle is held as on any display.
TEST(X11PointerWholeWindows, HoldsThePointerToTheWindowAndPositionsToTheRectangle)
{
    OtherClient other;
    ASSERT_TRUE(other.connected());
    auto pointer = X11Pointer::open(true);
    ASSERT_NE(pointer, nullptr);
    pointer->setConfinement({100, 150, 400, 350});
    other.warp(0, 0);
    EXPECT_EQ(other.position(), (ScreenPoint{100, 150})) << "no window set: the rectangle";
    pointer->setConfinement(wholeScreen);

    pointer->setConfinementWindow(other.mapWindow(600, 500, 200, 100));
    pointer->setConfinement({650, 520, 700, 560});
    other.warp(0, 0);
    EXPECT_EQ(other.position(), (ScreenPoint{600, 500}));
    other.warp(1279, 1023);
    EXPECT_EQ(other.position(), (ScreenPoint{799, 599}));
    pointer->setPosition({1280, 1024});
    EXPECT_EQ(pointer->position(), (ScreenPoint{699, 559}));
    EXPECT_FALSE(other.pointerFree());

    pointer->setConfinement(wholeScreen);
    EXPECT_TRUE(other.pointerFree());
}

// Another client's failed grab lifts the server's confinement though the grab stays
// ours; the next setPosition (the program's pointer going home after a response)
// confines again.
TEST_F(X11PointerTest, AnotherClientsFailedGrabIsUndoneByTheNextPosition)
{
    pointer_->setConfinement({100, 150, 400, 350});
    ASSERT_FALSE(other_.pointerFree());
    other_.warp(0, 0);
    pointer_->setPosition({250, 250});
    other_.warp(0, 0);
    EXPECT_EQ(other_.position(), (ScreenPoint{100, 150}));
}
