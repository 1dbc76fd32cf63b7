#pragma once

#include "engines/EngineHost.h"
#include "engines/ocr/TextLayerEngine.h"

#include <QObject>

// Text layers with qpdf, as a plugin.
class QpdfTextLayers : public QObject, public EnginePlugin, public TextLayerEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialTextLayerEngine_iid)
    Q_INTERFACES(EnginePlugin TextLayerEngine)

public:
    void attach(EngineHost& host) override { m_host = &host; }
    QList<std::optional<double>> scanResolutions(const QString& pdf) override;
    void addTextLayers(const QString& source, const QList<Page>& pages,
                       const QString& output) override;

private:
    EngineHost* m_host = nullptr;
};
