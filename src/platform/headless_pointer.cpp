#include "platform/platform.h"
#include "platform/screen_geometry.h"

// The pointer starts at the centre of the screen, where an X server puts it.
HeadlessPointer::HeadlessPointer(ScreenSize screen)
    : screen_(screen),
      confinement_(wholeScreen(screen)),
      position_(clampInto({screen.width / 2, screen.height / 2}, confinement_))
{
}

void HeadlessPointer::setPosition(ScreenPoint point) { position_ = clampInto(point, confinement_); }

// A confined pointer is moved into its new rectangle at once.
void HeadlessPointer::setConfinement(ScreenRect rect)
{
    confinement_ = clipToScreen(rect, screen_);
    position_ = clampInto(position_, confinement_);
}
