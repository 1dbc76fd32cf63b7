#include "converters/pdf/PdfEngine.h"

#include "platform/ModuleLoader.h"

PdfEngine& PdfEngine::shared()
{
    return ModuleLoader::instance<PdfEngine>(
        QStringLiteral("libflingdial_pdf.so"), "flingdial_pdfEngine",
        QStringLiteral("The PDF engine is missing. Reinstall Flingdial."));
}
