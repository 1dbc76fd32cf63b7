#include "core/Engines.h"

#include "core/Job.h"
#include "core/Plugins.h"
#include "engines/EngineHost.h"

namespace Engines {

namespace {

class ProgramHost : public EngineHost
{
public:
    ImageEngine& imageEngine() override { return images(); }
    void throwIfCancelled() override { Job::throwIfCancelled(); }
};

QString missing(const QString& what)
{
    return QStringLiteral("%1 is missing. Reinstall Flingdial.").arg(what);
}

} // namespace

ImageEngine& images()
{
    return Plugins::instance<ImageEngine>(QStringLiteral("libflingdial_images.so"),
                                          missing(QStringLiteral("The image engine")));
}

BackgroundRemover& backgroundRemover()
{
    return Plugins::instance<BackgroundRemover>(QStringLiteral("libflingdial_pictures.so"),
                                                missing(QStringLiteral("Background removal")));
}

PictureThumbnailer& thumbnailer()
{
    return Plugins::instance<PictureThumbnailer>(QStringLiteral("libflingdial_pictures.so"),
                                                 missing(QStringLiteral("The thumbnailer")));
}

DocumentEngine& documents()
{
    return Plugins::instance<DocumentEngine>(QStringLiteral("libflingdial_documents.so"),
                                             missing(QStringLiteral("The document engine")));
}

PdfEngine& pdf()
{
    return Plugins::instance<PdfEngine>(QStringLiteral("libflingdial_pdf.so"),
                                        missing(QStringLiteral("The PDF engine")));
}

PdfCompressor& pdfCompressor()
{
    return Plugins::instance<PdfCompressor>(QStringLiteral("libflingdial_pdfcompress.so"),
                                            missing(QStringLiteral("The PDF compressor")));
}

TextLayerEngine& textLayers()
{
    return Plugins::instance<TextLayerEngine>(QStringLiteral("libflingdial_ocr.so"),
                                              missing(QStringLiteral("Text recognition")));
}

EngineHost& host()
{
    static ProgramHost instance;
    return instance;
}

} // namespace Engines
