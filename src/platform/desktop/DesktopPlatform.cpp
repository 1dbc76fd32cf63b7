#include "platform/desktop/DesktopPlatform.h"

#include "platform/desktop/CompletionSound.h"

#include <QCoreApplication>

Notifier* DesktopPlatform::notifier()
{
    if (!m_notifier)
        m_notifier = new DBusNotifier(QCoreApplication::instance());
    return m_notifier;
}

void DesktopPlatform::playCompletionSound()
{
    CompletionSound::play();
}
