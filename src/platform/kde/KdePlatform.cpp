#include "platform/kde/KdePlatform.h"

#include <QCoreApplication>

GlobalShortcuts* KdePlatform::globalShortcuts()
{
    if (!m_shortcuts) {
        m_shortcuts = new KdeShortcuts(QCoreApplication::instance());
        m_shortcuts->start();
    }
    return m_shortcuts;
}
