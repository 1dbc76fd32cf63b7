#pragma once

#include <QString>
#include <QtPlugin>

// Making PDFs smaller without Ghostscript, and reading their text to check
// a result: qpdf, poppler and libvips, in a module of their own so that
// the other PDF tools load none of them.
class PdfCompressor
{
public:
    virtual ~PdfCompressor() = default;

    // The document written again with object streams and its photographs
    // re-encoded as JPEG at `quality`, no sharper than about 150 dpi.
    virtual void compress(const QString& source, const QString& output, int quality) = 0;
    // The text poppler extracts; empty when none.
    virtual QString text(const QString& path) = 0;
};

#define FlingdialPdfCompressor_iid "org.flingdial.PdfCompressor/1"
Q_DECLARE_INTERFACE(PdfCompressor, FlingdialPdfCompressor_iid)
