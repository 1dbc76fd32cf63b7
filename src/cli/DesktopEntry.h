#pragma once

#include <QtPlugin>

// The desktop part of the program, a plugin of its own: the tray
// application, command-line runs that may prompt with dialogs or use the
// clipboard, and the rendering commands. The command line starts without
// it, on Qt Core alone.
class DesktopEntry
{
public:
    virtual ~DesktopEntry() = default;

    // Creates the application object and runs the command the arguments ask for.
    virtual int main(int argc, char** argv) = 0;
};

#define FlingdialDesktopEntry_iid "org.flingdial.DesktopEntry/1"
Q_DECLARE_INTERFACE(DesktopEntry, FlingdialDesktopEntry_iid)
