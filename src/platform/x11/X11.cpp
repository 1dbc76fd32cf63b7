#include "platform/x11/X11.h"

#include <QGuiApplication>
#include <cstdlib>

X11Connection::X11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") &&
        qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_screenNumber = screenNumber;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
}

X11Connection::~X11Connection()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

xcb_atom_t X11Connection::atom(const char* name) const
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

QString X11Connection::atomName(xcb_atom_t atom) const
{
    xcb_get_atom_name_reply_t* reply =
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr);
    if (!reply)
        return {};
    const QString name =
        QString::fromLatin1(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
    std::free(reply);
    return name;
}

QString X11Connection::unavailableReason()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral(
            "this Wayland session has no X11 (XWayland) to watch drags and keys through");
    return QStringLiteral("no X11 display is available");
}
