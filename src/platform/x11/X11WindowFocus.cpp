#include "platform/x11/X11WindowFocus.h"

#include <cstdlib>
#include <optional>
#include <vector>

namespace {

// The window manager's idea of the active window, when it has one.
std::optional<xcb_window_t> activeWindow(const X11Connection& x)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        x.get(),
        xcb_get_property(x.get(), 0, x.root(), x.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    std::optional<xcb_window_t> window;
    if (reply && xcb_get_property_value_length(reply) == sizeof(xcb_window_t))
        window = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return window;
}

} // namespace

void X11WindowFocus::remember(const QList<quintptr>& own)
{
    X11Connection& x = m_x;
    if (!x.isValid())
        return;
    std::optional<xcb_window_t> active = activeWindow(x);
    if (!active) {
        // Without a window manager, the window with the input focus.
        xcb_get_input_focus_reply_t* focus =
            xcb_get_input_focus_reply(x.get(), xcb_get_input_focus(x.get()), nullptr);
        if (focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT)
            active = focus->focus;
        std::free(focus);
    }
    if (active && *active != XCB_NONE && !own.contains(quintptr(*active)))
        m_remembered = *active;
}

void X11WindowFocus::prepareManaged(quintptr window, bool keepAbove)
{
    X11Connection& x = m_x;
    if (!x.isValid() || window == 0)
        return;
    // Read by the window manager when the window maps; Qt adds its own
    // states to these rather than replacing them.
    std::vector<xcb_atom_t> states = {x.atom("_NET_WM_STATE_SKIP_TASKBAR"),
                                      x.atom("_NET_WM_STATE_SKIP_PAGER"),
                                      x.atom("_KDE_NET_WM_STATE_SKIP_SWITCHER")};
    if (keepAbove)
        states.push_back(x.atom("_NET_WM_STATE_ABOVE"));
    xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, xcb_window_t(window),
                        x.atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 32, uint32_t(states.size()),
                        states.data());
    // Qt maps the window over its own connection: the states must be there first.
    std::free(xcb_get_input_focus_reply(x.get(), xcb_get_input_focus(x.get()), nullptr));
}

void X11WindowFocus::restore()
{
    X11Connection& x = m_x;
    if (!x.isValid() || m_remembered == XCB_NONE)
        return;
    if (activeWindow(x)) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = m_remembered;
        message.type = x.atom("_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2; // from a pager-like tool: honoured at once
        xcb_send_event(x.get(), 0, x.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&message));
    } else {
        xcb_set_input_focus(x.get(), XCB_INPUT_FOCUS_POINTER_ROOT, m_remembered, XCB_CURRENT_TIME);
    }
    xcb_flush(x.get());
    m_remembered = XCB_NONE;
}

bool X11WindowFocus::hasCompositor()
{
    X11Connection& x = m_x;
    if (!x.isValid())
        return true; // Wayland compositors always blend
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        x.get(), xcb_get_selection_owner(x.get(), x.atom("_NET_WM_CM_S0")), nullptr);
    const bool present = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return present;
}

quintptr X11WindowFocus::trayManager()
{
    if (!m_x.isValid())
        return 0;
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(m_x.screenNumber());
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        m_x.get(), xcb_get_selection_owner(m_x.get(), m_x.atom(name.constData())), nullptr);
    const quintptr window = owner ? owner->owner : 0;
    std::free(owner);
    return window;
}
