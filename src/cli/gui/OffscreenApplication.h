#pragma once

#include "cli/GuiApplicationFactory.h"

#include <QObject>

// A QGuiApplication on Qt's offscreen platform: fonts and text layout, no
// window system.
class OffscreenApplication : public QObject, public GuiApplicationFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialGuiApplicationFactory_iid)
    Q_INTERFACES(GuiApplicationFactory)

public:
    std::unique_ptr<QCoreApplication> create(int& argc, char** argv) override;
};
