#pragma once

#include <QString>
#include <QtPlugin>

// Making PDFs smaller without Ghostscript: qpdf and libvips, in a module
// of their own so that the other PDF tools load neither.
class PdfCompressor
{
public:
    virtual ~PdfCompressor() = default;

    // The document written again with object streams and its photographs
    // re-encoded as JPEG at `quality`, no sharper than about 150 dpi.
    virtual void compress(const QString& source, const QString& output, int quality) = 0;
};

#define FlingdialPdfCompressor_iid "org.flingdial.PdfCompressor/2"
Q_DECLARE_INTERFACE(PdfCompressor, FlingdialPdfCompressor_iid)
