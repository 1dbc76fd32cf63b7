#include "converters/pdf/PdfCompressor.h"

#include "platform/ModuleLoader.h"

PdfCompressor& PdfCompressor::shared()
{
    return ModuleLoader::instance<PdfCompressor>(
        QStringLiteral("libflingdial_pdfcompress.so"), "flingdial_pdfCompressor",
        QStringLiteral("The PDF compressor is missing. Reinstall Flingdial."));
}
