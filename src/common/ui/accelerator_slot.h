#pragma once
// The accelerator target slot and the command event. The slot names the window
// that receives the participant's keys as commands (the task window puts itself
// there while it runs) and the shortcut table that translates them. A command is
// posted to the target, so it is handled after the key's own event.

#include <QEvent>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <optional>

#include "common/shortcut_table.h"

class QKeyEvent;

struct AcceleratorSlot {
    QPointer<QWidget> target;              // empty at start; never dangling
    const ShortcutTable* table = nullptr;  // set at start-up
};

// A key's command, with the display server's time stamp of the key when it has one
// (the X server's milliseconds under the X11 platform).
class CommandEvent : public QEvent {
public:
    explicit CommandEvent(TaskCommand command, std::optional<std::uint32_t> stamp = std::nullopt)
        : QEvent(eventType()), command_(command), stamp_(stamp)
    {
    }
    TaskCommand command() const { return command_; }
    std::optional<std::uint32_t> stamp() const { return stamp_; }
    static QEvent::Type eventType();

private:
    TaskCommand command_;
    std::optional<std::uint32_t> stamp_;
};

KeyStroke keyStrokeOf(const QKeyEvent& event);

// Offers a key press to the slot: when the slot holds a table and a target that
// exists and is visible, and the table translates the key, posts the command to
// the target and returns true (the key is consumed). Otherwise returns false.
bool translateForSlot(const AcceleratorSlot& slot, const QKeyEvent& event);
