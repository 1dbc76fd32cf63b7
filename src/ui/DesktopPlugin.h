#pragma once

#include "cli/DesktopEntry.h"

#include <QObject>

// Everything that needs the desktop, loaded by the program as a plugin.
class DesktopPlugin : public QObject, public DesktopEntry
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialDesktopEntry_iid)
    Q_INTERFACES(DesktopEntry)

public:
    int main(int argc, char** argv) override;
};
