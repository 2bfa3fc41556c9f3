#include "task/ui/qt_tutorial_screens.h"

#include "task/ui/task_window.h"

BlockEnd QtTutorialScreens::runTutorialPart(int, const BlockSettings& settings)
{
    // A window object per part: each part starts its alternation afresh.
    TaskWindow window(slot_, pointer_, clock_, font_, parent_);
    return window.runBlock(settings, nullptr).end;
}
