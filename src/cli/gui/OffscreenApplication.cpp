#include "cli/gui/OffscreenApplication.h"

#include <QGuiApplication>

std::unique_ptr<QCoreApplication> OffscreenApplication::create(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}
