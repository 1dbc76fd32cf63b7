#include "core/Engines.h"

#include "base/Translate.h"
#include "core/Job.h"
#include "core/Plugins.h"
#include "engines/EngineHost.h"

namespace Engines {

FLINGDIAL_TR_CONTEXT(Engines)

namespace {

class ProgramHost : public EngineHost
{
public:
    ImageEngine& imageEngine() override { return images(); }
    void throwIfCancelled() override { Job::throwIfCancelled(); }
};

} // namespace

ImageEngine& images()
{
    return Plugins::instance<ImageEngine>(QStringLiteral("libflingdial_images.so"),
                                          tr("The image engine is missing. Reinstall Flingdial."));
}

BackgroundRemover& backgroundRemover()
{
    return Plugins::instance<BackgroundRemover>(
        QStringLiteral("libflingdial_pictures.so"),
        tr("Background removal is missing. Reinstall Flingdial."));
}

PictureThumbnailer& thumbnailer()
{
    return Plugins::instance<PictureThumbnailer>(
        QStringLiteral("libflingdial_pictures.so"),
        tr("The thumbnailer is missing. Reinstall Flingdial."));
}

DocumentEngine& documents()
{
    return Plugins::instance<DocumentEngine>(
        QStringLiteral("libflingdial_documents.so"),
        tr("The document engine is missing. Reinstall Flingdial."));
}

PdfEngine& pdf()
{
    return Plugins::instance<PdfEngine>(QStringLiteral("libflingdial_pdf.so"),
                                        tr("The PDF engine is missing. Reinstall Flingdial."));
}

PdfCompressor& pdfCompressor()
{
    return Plugins::instance<PdfCompressor>(
        QStringLiteral("libflingdial_pdfcompress.so"),
        tr("The PDF compressor is missing. Reinstall Flingdial."));
}

TextLayerEngine& textLayers()
{
    return Plugins::instance<TextLayerEngine>(
        QStringLiteral("libflingdial_ocr.so"),
        tr("Text recognition is missing. Reinstall Flingdial."));
}

EngineHost& host()
{
    static ProgramHost instance;
    return instance;
}

} // namespace Engines
