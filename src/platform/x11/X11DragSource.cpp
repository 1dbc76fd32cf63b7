#include "platform/x11/X11DragSource.h"

#include "core/FileUrls.h"

#include <QElapsedTimer>
#include <cstdlib>
#include <poll.h>
#include <xcb/xfixes.h>

namespace {

// Long enough for a busy source, short enough not to freeze the poll.
constexpr int answerTimeoutMs = 1000;

} // namespace

X11DragSource::X11DragSource(const QStringList* ownDragFiles) : m_ownDragFiles(ownDragFiles)
{
    if (!m_x.isValid())
        return;
    xcb_connection_t* c = m_x.get();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    m_xfixesFirstEvent = xfixes->first_event;
    std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));

    m_selection = m_x.atom("XdndSelection");
    m_window = xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_x.root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    xcb_xfixes_select_selection_input(c, m_window, m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    xcb_flush(c);
}

X11DragSource::~X11DragSource()
{
    if (m_window != XCB_NONE)
        xcb_destroy_window(m_x.get(), m_window);
}

bool X11DragSource::isValid() const
{
    return m_window != XCB_NONE;
}

void X11DragSource::noteOwnerChange(const xcb_xfixes_selection_notify_event_t* notify)
{
    if (notify->owner == XCB_NONE)
        return;
    ++m_changes;
    m_ownedSince = notify->selection_timestamp;
}

void X11DragSource::drainEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_x.get())) {
        if ((event->response_type & 0x7f) == m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            noteOwnerChange(reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event));
        }
        std::free(event);
    }
}

quint64 X11DragSource::changeCount()
{
    drainEvents();
    return m_changes;
}

DragSource::Pointer X11DragSource::pointer()
{
    Pointer result;
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(m_x.get(), xcb_query_pointer(m_x.get(), m_x.root()), nullptr);
    if (!reply)
        return result;
    const uint16_t mask = reply->mask;
    std::free(reply);
    result.leftButton = mask & XCB_KEY_BUT_MASK_BUTTON_1;
    if (mask & XCB_MOD_MASK_SHIFT)
        result.modifiers |= ModifierKey::flag(ModifierKey::shift);
    if (mask & XCB_MOD_MASK_CONTROL)
        result.modifiers |= ModifierKey::flag(ModifierKey::control);
    if (mask & XCB_MOD_MASK_1)
        result.modifiers |= ModifierKey::flag(ModifierKey::alt);
    if (mask & XCB_MOD_MASK_4)
        result.modifiers |= ModifierKey::flag(ModifierKey::super);
    return result;
}

xcb_generic_event_t* X11DragSource::waitForEvent(uint8_t type, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_x.get())) {
            const uint8_t kind = event->response_type & 0x7f;
            if (kind == type)
                return event;
            if (kind == m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
                noteOwnerChange(reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event));
            std::free(event);
        }
        const int left = milliseconds - int(clock.elapsed());
        if (left <= 0 || xcb_connection_has_error(m_x.get()))
            return nullptr;
        pollfd descriptor{xcb_get_file_descriptor(m_x.get()), POLLIN, 0};
        poll(&descriptor, 1, left);
    }
}

std::optional<QByteArray> X11DragSource::convertSelection(xcb_atom_t target)
{
    xcb_connection_t* c = m_x.get();
    const xcb_atom_t property = m_x.atom("FLINGDIAL_DRAG");
    // Sources answer requests stamped with the time they took the selection
    // (Qt answers no others).
    xcb_convert_selection(c, m_window, m_selection, target, property, m_ownedSince);
    xcb_flush(c);
    xcb_generic_event_t* event = waitForEvent(XCB_SELECTION_NOTIFY, answerTimeoutMs);
    if (!event)
        return std::nullopt;
    const bool refused =
        reinterpret_cast<xcb_selection_notify_event_t*>(event)->property == XCB_NONE;
    std::free(event);
    if (refused)
        return std::nullopt;

    const auto read = [&](bool remove, xcb_atom_t* type) {
        QByteArray data;
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c,
                                   xcb_get_property(c, remove, m_window, property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
                                   nullptr);
        if (reply) {
            *type = reply->type;
            data = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
            std::free(reply);
        }
        xcb_flush(c);
        return data;
    };
    xcb_atom_t type = XCB_ATOM_NONE;
    QByteArray data = read(true, &type);
    if (type != m_x.atom("INCR"))
        return data;
    // Large lists come in pieces: each new value of the property is the
    // next piece, and an empty one ends the transfer.
    data.clear();
    for (;;) {
        xcb_generic_event_t* change = waitForEvent(XCB_PROPERTY_NOTIFY, answerTimeoutMs);
        if (!change)
            return std::nullopt;
        const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(change);
        const bool newPiece = notify->atom == property && notify->state == XCB_PROPERTY_NEW_VALUE;
        std::free(change);
        if (!newPiece)
            continue;
        const QByteArray piece = read(true, &type);
        if (piece.isEmpty())
            return data;
        data += piece;
    }
}

QStringList X11DragSource::files()
{
    // Our own drag is going on: the window system would ask this very thread.
    if (m_ownDragFiles && !m_ownDragFiles->isEmpty())
        return *m_ownDragFiles;
    const auto uris = convertSelection(m_x.atom("text/uri-list"));
    return uris ? FileUrls::fromUriList(*uris) : QStringList();
}

xcb_window_t X11DragSource::selectionOwner()
{
    xcb_connection_t* c = m_x.get();
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, m_selection), nullptr);
    const xcb_window_t window = owner ? owner->owner : xcb_window_t(XCB_NONE);
    std::free(owner);
    return window;
}

QStringList X11DragSource::types()
{
    xcb_connection_t* c = m_x.get();
    const xcb_window_t source = selectionOwner();
    if (source == XCB_NONE)
        return {};
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, source, m_x.atom("XdndTypeList"), XCB_ATOM_ATOM, 0, 64), nullptr);
    QStringList names;
    if (reply) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t)); ++i)
            names.append(m_x.atomName(atoms[i]));
        std::free(reply);
    }
    return names;
}
