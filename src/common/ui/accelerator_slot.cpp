#include "common/ui/accelerator_slot.h"

#include <QCoreApplication>
#include <QKeyEvent>

QEvent::Type CommandEvent::eventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

KeyStroke keyStrokeOf(const QKeyEvent& event)
{
    KeyStroke stroke;
    const Qt::KeyboardModifiers mods = event.modifiers();
    // Qt's Wayland platform leaves the keypad flag off for some keypad keys (the 5 with
    // NumLock off, KP_Begin): the key's symbol, which both platforms give, says so too.
    stroke.keypad = mods.testFlag(Qt::KeypadModifier) || isKeypadKeysym(event.nativeVirtualKey());
    stroke.shift = mods.testFlag(Qt::ShiftModifier);
    stroke.control = mods.testFlag(Qt::ControlModifier);
    stroke.alt = mods.testFlag(Qt::AltModifier);
    stroke.meta = mods.testFlag(Qt::MetaModifier);
    switch (event.key()) {
    case Qt::Key_A:
        stroke.key = Key::A;
        break;
    case Qt::Key_K:
        stroke.key = Key::K;
        break;
    case Qt::Key_Space:
        stroke.key = Key::Space;
        break;
    case Qt::Key_5:
        stroke.key = Key::Digit5;
        break;
    // The keypad's 5 with NumLock off arrives as Clear (KP_Begin); it is the same key.
    case Qt::Key_Clear:
        stroke.key = stroke.keypad ? Key::Digit5 : Key::Other;
        break;
    default:
        stroke.key = Key::Other;
        break;
    }
    return stroke;
}

bool translateForSlot(const AcceleratorSlot& slot, const QKeyEvent& event)
{
    if (slot.table == nullptr || slot.target.isNull() || !slot.target->isVisible())
        return false;
    const auto command = translateShortcut(*slot.table, keyStrokeOf(event));
    if (!command)
        return false;
    // Under the X11 platform the event's time stamp is the X server's, in milliseconds.
    const std::optional<std::uint32_t> stamp =
        event.timestamp() != 0 ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(event.timestamp()))
                               : std::nullopt;
    QCoreApplication::postEvent(slot.target.data(), new CommandEvent(*command, stamp));
    return true;
}
