#pragma once

#include <QCoreApplication>
#include <QtPlugin>
#include <memory>

// Makes a GUI application object without a display, for command-line work
// that lays out text. It lives in a small plugin of its own, so that the
// program itself starts on Qt Core alone and such work still leaves the
// desktop part (Qt Widgets) unloaded.
class GuiApplicationFactory
{
public:
    virtual ~GuiApplicationFactory() = default;

    virtual std::unique_ptr<QCoreApplication> create(int& argc, char** argv) = 0;
};

#define FlingdialGuiApplicationFactory_iid "org.flingdial.GuiApplicationFactory/1"
Q_DECLARE_INTERFACE(GuiApplicationFactory, FlingdialGuiApplicationFactory_iid)
