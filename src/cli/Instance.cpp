#include "cli/Instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace Instance {

bool call(const QString& method, const QVariantList& arguments, QString* why)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (!bus.isConnected())
        return fail(bus.lastError().message());
    const QString name = QString::fromLatin1(service);
    if (!bus.interface()->isServiceRegistered(name))
        return fail(QString());
    QDBusMessage message = QDBusMessage::createMethodCall(name, QString::fromLatin1(path),
                                                          QString::fromLatin1(interface), method);
    message.setArguments(arguments);
    const QDBusMessage reply = bus.call(message, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return fail(reply.errorMessage());
    return true;
}

} // namespace Instance
