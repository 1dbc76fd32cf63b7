#include "ui/InstanceService.h"

#include "cli/Instance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMetaObject>

namespace {

WheelMode::Mode modeNamed(const QString& word)
{
    return WheelMode::fromRawValue(word.toLower()).value_or(WheelMode::convert);
}

} // namespace

InstanceService::InstanceService(QObject* parent) : QObject(parent) {}

InstanceService::Claim InstanceService::claim(QString* why)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (why)
            *why = bus.lastError().message();
        return Claim::noBus;
    }
    // The name first: of two programs started at once, one gets it.
    const auto reply = bus.interface()->registerService(
        QString::fromLatin1(Instance::service), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        if (why)
            *why = reply.error().message();
        return reply.isValid() ? Claim::taken : Claim::noBus;
    }
    bus.registerObject(QString::fromLatin1(Instance::path), this, QDBusConnection::ExportAllSlots);
    return Claim::claimed;
}

void InstanceService::OpenSettings()
{
    QMetaObject::invokeMethod(this, &InstanceService::settingsRequested, Qt::QueuedConnection);
}

void InstanceService::OpenWheel(const QStringList& files, const QString& mode)
{
    QMetaObject::invokeMethod(
        this, [this, files, mode] { Q_EMIT wheelRequested(modeNamed(mode), files); },
        Qt::QueuedConnection);
}

void InstanceService::Trigger(const QString& mode)
{
    QMetaObject::invokeMethod(
        this, [this, mode] { Q_EMIT triggered(modeNamed(mode), !mode.isEmpty()); },
        Qt::QueuedConnection);
}
