#pragma once

#include "engines/EngineHost.h"
#include "engines/pdfcompress/PdfCompressor.h"

#include <QObject>

// Compression with qpdf and libvips, as a plugin of its own so that the
// other PDF tools load neither.
class QpdfCompressor : public QObject, public EnginePlugin, public PdfCompressor
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialPdfCompressor_iid)
    Q_INTERFACES(EnginePlugin PdfCompressor)

public:
    QpdfCompressor();

    void attach(EngineHost&) override {}
    void compress(const QString& source, const QString& output, int quality) override;
};
