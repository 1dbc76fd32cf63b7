#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

// Stand-ins for a panel's tray, for tests of the tray icon.
namespace TrayHosts {

// A panel's StatusNotifierItem host, as far as a tray icon sees it: the
// watcher service, which counts the icons that register.
class StatusNotifierWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }
    int registrations() const { return int(m_items.size()); }

    bool start(QDBusConnection& bus)
    {
        return bus.registerObject(u"/StatusNotifierWatcher"_s, this,
                                  QDBusConnection::ExportAllSlots |
                                      QDBusConnection::ExportAllProperties) &&
               bus.registerService(u"org.kde.StatusNotifierWatcher"_s);
    }
    void stop(QDBusConnection& bus)
    {
        bus.unregisterService(u"org.kde.StatusNotifierWatcher"_s);
        bus.unregisterObject(u"/StatusNotifierWatcher"_s);
    }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) { m_items.append(service); }

private:
    QStringList m_items;
};

// An XEmbed system tray: owns the tray selection, announces itself, and
// counts the icons that ask to be docked.
class XEmbedTray
{
public:
    XEmbedTray()
    {
        int screen = 0;
        m_x = xcb_connect(nullptr, &screen);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_x));
        for (int i = 0; i < screen; ++i)
            xcb_screen_next(&screens);
        const xcb_window_t root = screens.data->root;
        m_window = xcb_generate_id(m_x);
        xcb_create_window(m_x, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        m_selection = atom("_NET_SYSTEM_TRAY_S" + QByteArray::number(screen));
        m_opcode = atom("_NET_SYSTEM_TRAY_OPCODE");
        xcb_set_selection_owner(m_x, m_window, m_selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t manager{};
        manager.response_type = XCB_CLIENT_MESSAGE;
        manager.format = 32;
        manager.window = root;
        manager.type = atom("MANAGER");
        manager.data.data32[0] = XCB_CURRENT_TIME;
        manager.data.data32[1] = m_selection;
        manager.data.data32[2] = m_window;
        xcb_send_event(m_x, 0, root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&manager));
        xcb_flush(m_x);
    }
    ~XEmbedTray()
    {
        xcb_destroy_window(m_x, m_window);
        xcb_disconnect(m_x);
    }

    // The dock requests that arrived so far.
    int dockRequests()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_x)) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == m_opcode &&
                message->data.data32[1] == 0)
                ++m_docked;
            std::free(event);
        }
        return m_docked;
    }

private:
    xcb_atom_t atom(const QByteArray& name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_x, xcb_intern_atom(m_x, 0, uint16_t(name.size()), name.constData()), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    xcb_connection_t* m_x = nullptr;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    xcb_atom_t m_opcode = XCB_ATOM_NONE;
    int m_docked = 0;
};


} // namespace TrayHosts
