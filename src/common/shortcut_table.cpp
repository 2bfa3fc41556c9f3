#include "common/shortcut_table.h"

const ShortcutTable& participantShortcuts()
{
    static const ShortcutTable table{{
        {Key::A, false, false, TaskCommand::LeftResponse},
        {Key::Digit5, true, false, TaskCommand::RightResponse},
        {Key::Space, false, false, TaskCommand::StartBlock},
        {Key::K, false, true, TaskCommand::SkipBlock},
    }};
    return table;
}

std::optional<TaskCommand> translateShortcut(const ShortcutTable& table, const KeyStroke& stroke)
{
    if (stroke.shift || stroke.control || stroke.meta)
        return std::nullopt;
    for (const Shortcut& s : table) {
        if (s.key == stroke.key && s.keypad == stroke.keypad && s.alt == stroke.alt)
            return s.command;
    }
    return std::nullopt;
}
