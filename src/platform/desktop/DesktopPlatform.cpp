#include "platform/desktop/DesktopPlatform.h"

#include "platform/desktop/CompletionSound.h"
#include "platform/desktop/Terminal.h"

#include <QCoreApplication>

Notifier* DesktopPlatform::notifier()
{
    if (!m_notifier)
        m_notifier = new DBusNotifier(QCoreApplication::instance());
    return m_notifier;
}

void DesktopPlatform::openTerminal(const QString& folder)
{
    Terminal::open(folder);
}

void DesktopPlatform::playCompletionSound()
{
    CompletionSound::play();
}
