#include "app/AppDelegate.h"

#include "core/Log.h"
#include "core/Settings.h"
#include "platform/Notifier.h"
#include "platform/Workspace.h"

#include <QGuiApplication>

AppDelegate::AppDelegate(QObject* parent) : QObject(parent) {}

void AppDelegate::start()
{
    Settings::shared().registerDefaults();
    Settings::shared().watchForChanges();
    qCInfo(lcApp, "launched");
    // A click on a notification about finished work shows its files.
    connect(&Notifier::shared(), &Notifier::activated, this, &Workspace::reveal);
    // A tray utility has no main window: closing a dialog must not quit it.
    QGuiApplication::setQuitOnLastWindowClosed(false);
}
