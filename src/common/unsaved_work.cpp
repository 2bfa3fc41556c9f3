#include "common/unsaved_work.h"

EditorQuestion questionBefore(EditorStep step, const EditorWork& work)
{
    switch (step) {
    case EditorStep::NewOrOpen:
        // After the first New or Open the overwrite question covers typed work too.
        if (!work.fresh)
            return EditorQuestion::Overwrite;
        break;
    case EditorStep::Exit:
        if (work.exitAlwaysAsks)
            return EditorQuestion::UnsavedChanges;
        break;
    case EditorStep::Close:
        break;
    }
    return work.changed ? EditorQuestion::UnsavedChanges : EditorQuestion::None;
}
