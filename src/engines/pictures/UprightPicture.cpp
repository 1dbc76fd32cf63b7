#include "engines/pictures/UprightPicture.h"

namespace UprightPicture {

QImage load(ImageEngine& engine, const QString& path, std::optional<int> fitInto)
{
    std::optional<ImageEngine::Pixels> pixels;
    try {
        pixels = engine.loadUpright(path, fitInto);
    } catch (const std::exception&) {
        return {};
    }
    if (!pixels)
        return {};
    const QSize size = pixels->size;
    const QImage view(reinterpret_cast<const uchar*>(pixels->rgba.constData()), size.width(),
                      size.height(), size.width() * 4, QImage::Format_RGBA8888);
    return view.copy();
}

} // namespace UprightPicture
