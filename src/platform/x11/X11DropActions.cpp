#include "platform/DropActions.h"

#include "platform/x11/X11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

namespace DropActions {

namespace {

// Rewrites the action of each XdndPosition message to XdndActionCopy before
// Qt reads it. Qt then offers copy in its XdndStatus and XdndFinished, which
// the protocol allows a target to answer to any request. Qt's own
// QDropEvent::setDropAction can't do this: it keeps the source's action
// when the source did not list copy as possible, as GTK sources don't.
class CopyOnlyFilter : public QAbstractNativeEventFilter
{
public:
    CopyOnlyFilter()
    {
        const X11Connection x;
        if (!x.isValid())
            return;
        m_position = x.atom("XdndPosition");
        m_copy = x.atom("XdndActionCopy");
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
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

private:
    xcb_atom_t m_position = XCB_NONE;
    xcb_atom_t m_copy = XCB_NONE;
};

} // namespace

void answerEveryDropAsCopy()
{
    // Lives as long as the program; installing it again changes nothing.
    static CopyOnlyFilter filter;
    QCoreApplication::instance()->installNativeEventFilter(&filter);
}

} // namespace DropActions
