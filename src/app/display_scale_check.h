#pragma once
// Whether the display scale the program was started with (--scale) leaves every
// participant screen (the task window, the list review, the pages and questions, the
// dialogs between blocks) whole on the primary screen: measured once Qt runs at that
// scale.

#include <string>

// "" when those screens, at the dialog font and scale as Qt now draws them, fits
// the primary screen in device pixels (or there is no primary screen: start-up ends
// there anyway); else the message naming the largest scale that fits.
std::string displayScaleRefusal(double scale);
