#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {
constexpr ScreenSize screen{1280, 1024};
constexpr ScreenRect wholeScreen{0, 0, 1280, 1024};
}  // namespace

TEST(HeadlessPointer, StartsUnconfinedAndKeepsThePointerOnTheScreen)
{
    HeadlessPointer pointer(screen);
    EXPECT_EQ(pointer.screenSize(), screen);
    EXPECT_EQ(pointer.confinement(), wholeScreen);
    EXPECT_EQ(pointer.position(), (ScreenPoint{640, 512}));

    pointer.setPosition({17, 1000});
    EXPECT_EQ(pointer.position(), (ScreenPoint{17, 1000}));
    // The screen's far corner (W, H) is one past the last pixel.
    pointer.setPosition({1280, 1024});
    EXPECT_EQ(pointer.position(), (ScreenPoint{1279, 1023}));
    pointer.setPosition({-5, -5});
    EXPECT_EQ(pointer.position(), (ScreenPoint{0, 0}));
}

// Right and bottom are exclusive: a pointer sent beyond the rectangle rests on its last
// column and row.
TEST(HeadlessPointer, ConfinementClampsThePointerIntoTheRectangle)
{
    HeadlessPointer pointer(screen);
    pointer.setPosition({10, 10});
    pointer.setConfinement({300, 200, 900, 700});
    EXPECT_EQ(pointer.confinement(), (ScreenRect{300, 200, 900, 700}));
    EXPECT_EQ(pointer.position(), (ScreenPoint{300, 200})) << "moved in when confined";

    pointer.setPosition({1280, 1024});
    EXPECT_EQ(pointer.position(), (ScreenPoint{899, 699}));
    pointer.setPosition({0, 500});
    EXPECT_EQ(pointer.position(), (ScreenPoint{300, 500}));
    pointer.setPosition({450, 450});
    EXPECT_EQ(pointer.position(), (ScreenPoint{450, 450}));
}

TEST(HeadlessPointer, RectangleIsClippedToTheScreenAndTheWholeScreenLiftsIt)
{
    HeadlessPointer pointer(screen);
    pointer.setConfinement({1000, -50, 5000, 100});
    EXPECT_EQ(pointer.confinement(), (ScreenRect{1000, 0, 1280, 100}));

    pointer.setConfinement({-10, -10, 2000, 2000});
    EXPECT_EQ(pointer.confinement(), wholeScreen);
    pointer.setPosition({5, 1010});
    EXPECT_EQ(pointer.position(), (ScreenPoint{5, 1010}));

    pointer.setConfinement({100, 100, 200, 200});
    pointer.setConfinement(wholeScreen);
    pointer.setPosition({1279, 0});
    EXPECT_EQ(pointer.position(), (ScreenPoint{1279, 0}));
}

// Empty, inverted or off-screen rectangles leave the pointer one pixel to be on.
TEST(HeadlessPointer, DegenerateRectangleShrinksToOnePixel)
{
    HeadlessPointer pointer(screen);
    pointer.setConfinement({500, 400, 500, 400});
    EXPECT_EQ(pointer.confinement(), (ScreenRect{500, 400, 501, 401}));
    EXPECT_EQ(pointer.position(), (ScreenPoint{500, 400}));

    pointer.setConfinement({600, 600, 100, 100});
    EXPECT_EQ(pointer.confinement(), (ScreenRect{600, 600, 601, 601}));

    pointer.setConfinement({2000, 3000, 2100, 3100});
    EXPECT_EQ(pointer.confinement(), (ScreenRect{1279, 1023, 1280, 1024}));
    pointer.setPosition({0, 0});
    EXPECT_EQ(pointer.position(), (ScreenPoint{1279, 1023}));
}
