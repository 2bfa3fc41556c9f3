// Which editor step asks first, and what, from the changed flag, whether a New or
// Open has gone through, and whether Exit always asks.
#include <gtest/gtest.h>

#include "common/unsaved_work.h"

TEST(UnsavedWork, WhichStepAsksWhat)
{
    using Q = EditorQuestion;
    using S = EditorStep;
    struct Case {
        S step;
        bool changed, fresh, exitAlwaysAsks;
        Q question;
    };
    const Case cases[] = {
        // The first New or Open asks only about typed work.
        {S::NewOrOpen, false, true, false, Q::None},
        {S::NewOrOpen, true, true, false, Q::UnsavedChanges},
        // Every later one asks whether the screen may be overwritten, and only that.
        {S::NewOrOpen, false, false, false, Q::Overwrite},
        {S::NewOrOpen, true, false, true, Q::Overwrite},
        // Escape and the close box: only when something is unsaved, fresh or not.
        {S::Close, false, true, true, Q::None},
        {S::Close, false, false, false, Q::None},
        {S::Close, true, true, false, Q::UnsavedChanges},
        {S::Close, true, false, false, Q::UnsavedChanges},
        // Exit: the stimulus list editor's when something is unsaved; a page editor's always.
        {S::Exit, false, false, false, Q::None},
        {S::Exit, true, true, false, Q::UnsavedChanges},
        {S::Exit, false, true, true, Q::UnsavedChanges},
        {S::Exit, false, false, true, Q::UnsavedChanges},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "step " << int(c.step) << " changed " << c.changed << " fresh " << c.fresh
                                          << " exitAlwaysAsks " << c.exitAlwaysAsks);
        EXPECT_EQ(questionBefore(c.step, {c.changed, c.fresh, c.exitAlwaysAsks}), c.question);
    }
}
