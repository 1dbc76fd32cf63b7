#include "platform/x11/X11HotKey.h"

#include "core/Log.h"

#include <QSocketNotifier>
#include <cstdlib>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr uint16_t numLock = XCB_MOD_MASK_2;

uint16_t x11Modifiers(ModifierKey::Flags flags)
{
    uint16_t mask = 0;
    if (flags & ModifierKey::flag(ModifierKey::control))
        mask |= XCB_MOD_MASK_CONTROL;
    if (flags & ModifierKey::flag(ModifierKey::alt))
        mask |= XCB_MOD_MASK_1;
    if (flags & ModifierKey::flag(ModifierKey::shift))
        mask |= XCB_MOD_MASK_SHIFT;
    if (flags & ModifierKey::flag(ModifierKey::super))
        mask |= XCB_MOD_MASK_4;
    return mask;
}

} // namespace

X11HotKey::X11HotKey(QObject* parent) : GlobalHotKey(parent)
{
    if (!m_x.isValid())
        return;
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_x.get()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11HotKey::readEvents);
}

X11HotKey::~X11HotKey()
{
    setEnabled(false);
}

QList<uint16_t> X11HotKey::modifierVariants() const
{
    // A grab matches the modifier state exactly, so the lock keys need their own.
    const uint16_t base = x11Modifiers(m_keys->modifiers());
    return {base, uint16_t(base | numLock), uint16_t(base | XCB_MOD_MASK_LOCK),
            uint16_t(base | numLock | XCB_MOD_MASK_LOCK)};
}

void X11HotKey::setKeys(const KeyCombination& keys)
{
    if (m_keys == keys)
        return;
    ungrab();
    m_keys = keys;
    m_keycode = keycodeOf(keys.keysym());
    grab();
}

xcb_keycode_t X11HotKey::keycodeOf(xcb_keysym_t keysym) const
{
    if (!m_x.isValid())
        return 0;
    xcb_keycode_t keycode = 0;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_x.get());
    if (xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym)) {
        keycode = codes[0];
        std::free(codes);
    }
    xcb_key_symbols_free(symbols);
    return keycode;
}

void X11HotKey::keyboardChanged()
{
    // Another layout (the desktop applies the user's once the session has
    // started) may put the key on another key code: grab that one instead.
    if (!m_keys)
        return;
    const xcb_keycode_t keycode = keycodeOf(m_keys->keysym());
    if (keycode == m_keycode)
        return;
    ungrab();
    m_keycode = keycode;
    grab();
}

void X11HotKey::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    if (!enabled)
        ungrab();
    m_enabled = enabled;
    if (enabled)
        grab();
}

void X11HotKey::grab()
{
    m_heldElsewhere = false;
    if (!m_enabled || !m_keys || !m_x.isValid())
        return;
    if (m_keycode == 0) {
        // No key of this keyboard gives it: nothing can press it.
        qCWarning(lcApp, "no key on this keyboard types %s", qUtf8Printable(m_keys->text()));
        return;
    }
    xcb_connection_t* c = m_x.get();
    for (const uint16_t modifiers : modifierVariants()) {
        xcb_generic_error_t* error =
            xcb_request_check(c, xcb_grab_key_checked(c, 1, m_x.root(), modifiers, m_keycode,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        m_heldElsewhere = m_heldElsewhere || error;
        std::free(error);
    }
    if (m_heldElsewhere) {
        // Half a grab would answer the key only with some lock keys on.
        qCWarning(lcApp, "%s is taken by another program", qUtf8Printable(m_keys->text()));
        ungrab();
    }
    xcb_flush(c);
}

void X11HotKey::ungrab()
{
    // Only this connection's grabs go: another program's stay.
    if (!m_keys || m_keycode == 0 || !m_x.isValid())
        return;
    for (const uint16_t modifiers : modifierVariants())
        xcb_ungrab_key(m_x.get(), m_keycode, m_x.root(), modifiers);
    xcb_flush(m_x.get());
}

void X11HotKey::readEvents()
{
    bool mappingChanged = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_x.get())) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS && m_keycode != 0 &&
            reinterpret_cast<xcb_key_press_event_t*>(event)->detail == m_keycode)
            QMetaObject::invokeMethod(this, &GlobalHotKey::pressed, Qt::QueuedConnection);
        else if (type == XCB_MAPPING_NOTIFY &&
                 reinterpret_cast<xcb_mapping_notify_event_t*>(event)->request ==
                     XCB_MAPPING_KEYBOARD)
            mappingChanged = true;
        std::free(event);
    }
    if (mappingChanged)
        keyboardChanged();
}
