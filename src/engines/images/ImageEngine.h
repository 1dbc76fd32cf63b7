#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <QtPlugin>
#include <optional>

// The built-in image engine: reads and writes every still-image format the
// program offers, in process. Failures are thrown as Fail in the user's words.
class ImageEngine
{
public:
    // One conversion: the pixel work, in this order, then the output format.
    struct Request
    {
        QString format;                  // format key of the output: "jpg", "png", …
        std::optional<int> quality;      // 1–100, for the lossy formats
        std::optional<int> fitInto;      // longest side; the aspect is kept, small images grow
        bool rotateClockwise = false;    // by 90 degrees
        bool flipHorizontally = false;   // left to right
        std::optional<QSize> centreCrop; // width × height around the centre
    };

    // Pixels in memory: 8-bit RGBA, rows top to bottom without padding.
    struct Pixels
    {
        QSize size;
        QByteArray rgba;
    };

    // Pictures with more pixels are refused before a pixel is decoded or
    // made: a small file may declare 50,000 × 50,000 of them.
    static constexpr double pixelLimit = 250e6;

    virtual ~ImageEngine() = default;

    // The stored pixel size of the first image, orientation flag not applied.
    virtual std::optional<QSize> pixelSize(const QString& path) = 0;
    // How many frames or pages the file holds (1 when it can't tell).
    virtual int frameCount(const QString& path) = 0;
    // Upright pixels (orientation flag applied) written as the request says,
    // with the metadata the output format can carry (EXIF with its
    // orientation set to upright, XMP, colour profile). A plain conversion
    // of an animated GIF or WebP to GIF or WebP keeps every frame and its
    // delay; other outputs take the first frame.
    virtual void process(const QString& input, const QString& output, const Request& request) = 0;
    // Upright pixels, no metadata, the input's own format.
    virtual void stripMetadata(const QString& input, const QString& output) = 0;
    // A copy without where the picture was taken (the GPS data of its EXIF
    // and XMP); the pixels and every other tag stay as they are.
    virtual void removeLocation(const QString& input, const QString& output) = 0;
    // Upright pixels as a JPEG of at most `maxBytes`, metadata kept: the
    // best quality that fits, on smaller pixels when even a low quality
    // doesn't. Throws Fail with a sentence when nothing sensible fits.
    virtual void writeJpegWithin(const QString& input, const QString& output, qint64 maxBytes) = 0;
    // About how many bytes of memory converting the file to `format` takes,
    // estimated from its header.
    virtual qint64 memoryNeed(const QString& input, const QString& format) = 0;
    // One page per readable image, each page the image's size. Returns the
    // number of pages; with none, nothing is written.
    virtual int writePdf(const QStringList& inputs, const QString& output) = 0;
    // Upright pixels of the first image, shrunk to fit `fitInto` × `fitInto`
    // when given (never enlarged); nothing when it can't be read.
    virtual std::optional<Pixels> loadUpright(const QString& path, std::optional<int> fitInto) = 0;
};

#define FlingdialImageEngine_iid "org.flingdial.ImageEngine/2"
Q_DECLARE_INTERFACE(ImageEngine, FlingdialImageEngine_iid)
