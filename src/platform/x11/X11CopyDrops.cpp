#include "platform/x11/X11CopyDrops.h"

#include "platform/x11/X11.h"

X11CopyDrops::X11CopyDrops()
{
    const X11Connection x;
    if (!x.isValid())
        return;
    m_position = x.atom("XdndPosition");
    m_copy = x.atom("XdndActionCopy");
}

bool X11CopyDrops::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (m_position == XCB_NONE || eventType != "xcb_generic_event_t")
        return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    auto* client = reinterpret_cast<xcb_client_message_event_t*>(event);
    if (client->type == m_position && client->format == 32)
        client->data.data32[4] = m_copy;
    return false; // Qt handles it, with the action changed
}
