#include "core/plugin/Greeter.h"
#include "engines/EngineHost.h"

#include <QObject>

// A plugin of Greeter in the version it is built for, attached to the
// program's services the way the engines are.
class GreeterPlugin : public QObject, public EnginePlugin, public Greeter
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID Greeter_iid)
    Q_INTERFACES(EnginePlugin Greeter)

public:
    void attach(EngineHost& host) override { m_host = &host; }
    QString greeting() const override
    {
        return m_host ? QStringLiteral("attached") : QStringLiteral("not attached");
    }

private:
    EngineHost* m_host = nullptr;
};

#include "GreeterPlugin.moc"
