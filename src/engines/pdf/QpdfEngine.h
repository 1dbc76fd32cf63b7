#pragma once

#include "engines/EngineHost.h"
#include "engines/pdf/PdfEngine.h"

#include <QObject>

// The PDF document model on qpdf alone, as a plugin.
class QpdfEngine : public QObject, public EnginePlugin, public PdfEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialPdfEngine_iid)
    Q_INTERFACES(EnginePlugin PdfEngine)

public:
    void attach(EngineHost&) override {}
    Facts open(const QString& path) override;
    void merge(const QStringList& sources, const QString& output) override;
    QStringList split(const QString& source, const QString& folder,
                      const std::function<QString(int page)>& name) override;
    void rotate(const QString& source, const QString& output) override;
    void keepPages(const QString& source, const QList<int>& pages, const QString& output) override;
    void rewrite(const QString& source, const QString& output) override;
};
