#include "app/AppDelegate.h"

#include "core/Log.h"
#include "core/Settings.h"

#include <QGuiApplication>

AppDelegate::AppDelegate(QObject* parent) : QObject(parent) {}

void AppDelegate::start()
{
    Settings::shared().registerDefaults();
    Settings::shared().watchForChanges();
    qCInfo(lcApp, "launched");
    // A tray utility has no main window: closing a dialog must not quit it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}
