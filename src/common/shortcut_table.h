#pragma once
// The participant's keys and the experimenter's skip key, as a table from key
// strokes to the task window's commands. The table matches a key only with exactly
// its modifiers: A with Shift or Ctrl held is not a response.

#include <cstdint>
#include <array>
#include <optional>

enum class TaskCommand {
    LeftResponse,
    RightResponse,
    StartBlock,
    SkipBlock,  // ends the current block at once, as a cancel
};

// The keys the table knows; every other key is Other.
enum class Key { A, K, Space, Digit5, Other };

struct KeyStroke {
    Key key = Key::Other;
    bool keypad = false;  // the key is on the numeric keypad
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool meta = false;
};

// A key symbol (X11's and xkbcommon's numbering) of the numeric keypad: KP_Space to
// KP_9, and KP_Equal.
inline bool isKeypadKeysym(std::uint32_t keysym) { return (keysym >= 0xff80 && keysym <= 0xffb9) || keysym == 0xffbd; }

struct Shortcut {
    Key key;
    bool keypad;
    bool alt;
    TaskCommand command;
};

using ShortcutTable = std::array<Shortcut, 4>;

// A: left response; keypad 5: right response; Space: start; Alt+K: skip.
const ShortcutTable& participantShortcuts();

std::optional<TaskCommand> translateShortcut(const ShortcutTable& table, const KeyStroke& stroke);
