#include "platform/x11/X11HotKey.h"

#include "core/Log.h"

#include <QSocketNotifier>
#include <X11/keysym.h>
#include <cstdlib>
#include <xcb/xcb_keysyms.h>

namespace {

constexpr uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr uint16_t numLock = XCB_MOD_MASK_2;

} // namespace

X11HotKey::X11HotKey(QObject* parent) : GlobalHotKey(parent)
{
    if (!m_x.isValid())
        return;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_x.get());
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, XK_space);
    if (codes) {
        m_keycode = codes[0];
        std::free(codes);
    }
    xcb_key_symbols_free(symbols);
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
    return {controlAlt, uint16_t(controlAlt | numLock), uint16_t(controlAlt | XCB_MOD_MASK_LOCK),
            uint16_t(controlAlt | numLock | XCB_MOD_MASK_LOCK)};
}

void X11HotKey::setEnabled(bool enabled)
{
    if (!isValid() || enabled == m_enabled)
        return;
    xcb_connection_t* c = m_x.get();
    bool taken = false;
    for (const uint16_t modifiers : modifierVariants()) {
        if (!enabled) {
            xcb_ungrab_key(c, m_keycode, m_x.root(), modifiers);
            continue;
        }
        xcb_generic_error_t* error =
            xcb_request_check(c, xcb_grab_key_checked(c, 1, m_x.root(), modifiers, m_keycode,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        taken = taken || error;
        std::free(error);
    }
    if (taken)
        qCWarning(lcApp, "Ctrl+Alt+Space is taken by another program");
    xcb_flush(c);
    m_enabled = enabled;
}

void X11HotKey::readEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_x.get())) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS &&
            reinterpret_cast<xcb_key_press_event_t*>(event)->detail == m_keycode)
            QMetaObject::invokeMethod(this, &GlobalHotKey::pressed, Qt::QueuedConnection);
        std::free(event);
    }
}
