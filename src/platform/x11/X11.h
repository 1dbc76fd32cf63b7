#pragma once

#include <QByteArray>
#include <QString>
#include <xcb/xcb.h>

// A connection of our own to the X server, apart from Qt's.
class X11Connection
{
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    bool isValid() const { return m_connection != nullptr; }
    xcb_connection_t* get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    int screenNumber() const { return m_screenNumber; }
    xcb_atom_t atom(const char* name) const;
    QString atomName(xcb_atom_t atom) const;

    // Why there is no X11 here, for the log.
    static QString unavailableReason();

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    int m_screenNumber = 0;
};
