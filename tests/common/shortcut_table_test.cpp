#include <gtest/gtest.h>

#include "common/shortcut_table.h"

namespace {
std::optional<TaskCommand> translate(KeyStroke s) { return translateShortcut(participantShortcuts(), s); }
}

TEST(ShortcutTable, MapsTheFourKeysToTheirCommands)
{
    EXPECT_EQ(translate({Key::A}), TaskCommand::LeftResponse);
    EXPECT_EQ(translate({Key::Digit5, true}), TaskCommand::RightResponse);
    EXPECT_EQ(translate({Key::Space}), TaskCommand::StartBlock);
    EXPECT_EQ(translate({.key = Key::K, .alt = true}), TaskCommand::SkipBlock);
}

TEST(ShortcutTable, RequiresExactlyTheKeysModifiers)
{
    // The main keyboard's 5 is not the keypad's.
    EXPECT_FALSE(translate({Key::Digit5, false}));
    // K without Alt, and Alt with the response keys, are nothing.
    EXPECT_FALSE(translate({Key::K}));
    EXPECT_FALSE(translate({.key = Key::A, .alt = true}));
    // Shift, Ctrl or the logo key held turn every key off, Alt+K included.
    EXPECT_FALSE(translate({.key = Key::A, .shift = true}));
    EXPECT_FALSE(translate({.key = Key::Space, .control = true}));
    EXPECT_FALSE(translate({.key = Key::K, .control = true, .alt = true}));
    EXPECT_FALSE(translate({.key = Key::Digit5, .keypad = true, .meta = true}));
    EXPECT_FALSE(translate({Key::Other}));
}
