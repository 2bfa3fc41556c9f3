#pragma once
// When an editor asks before it drops what is on its screen. Each editor keeps a
// changed flag: set by any edit, cleared by a save that succeeds, a New or an Open.
// While it is set, leaving the editor and the first New or Open ask whether the typed
// work may go; every later New or Open asks whether the screen may be overwritten, as
// it does whether or not anything was typed.

inline constexpr const char* unsavedChangesWarning = "Any unsaved changes will be lost.";

enum class EditorStep {
    NewOrOpen,  // New or Open, before the screen is replaced
    Close,      // Escape or the close box
    Exit,       // the Exit command, Enter
};

enum class EditorQuestion { None, UnsavedChanges, Overwrite };

struct EditorWork {
    bool changed = false;         // edited since the last New, Open or successful save
    bool fresh = true;            // no New or Open has gone through since the editor opened
    bool exitAlwaysAsks = false;  // Exit asks about unsaved changes whatever the flag says
};

// The question the step asks first, or None: it then goes on at once.
EditorQuestion questionBefore(EditorStep step, const EditorWork& work);
