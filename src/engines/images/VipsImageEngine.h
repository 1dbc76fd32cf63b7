#pragma once

#include "engines/images/ImageEngine.h"

// The image engine on libvips: streaming where it can, so large pictures
// pass through in strips instead of whole in memory.
class VipsImageEngine : public ImageEngine
{
public:
    VipsImageEngine();

    std::optional<QSize> pixelSize(const QString& path) override;
    int frameCount(const QString& path) override;
    void process(const QString& input, const QString& output, const Request& request) override;
    void stripMetadata(const QString& input, const QString& output) override;
    void removeLocation(const QString& input, const QString& output) override;
    void writeJpegWithin(const QString& input, const QString& output, qint64 maxBytes) override;
    qint64 memoryNeed(const QString& input, const QString& format) override;
    int writePdf(const QStringList& inputs, const QString& output) override;
    std::optional<Pixels> loadUpright(const QString& path, std::optional<int> fitInto) override;
};
