#include "engines/pictures/PicturesPlugin.h"

#include "base/Errors.h"
#include "engines/pictures/GrabCutBackgroundRemover.h"
#include "engines/pictures/PictureThumbnails.h"

void PicturesPlugin::attach(EngineHost& host)
{
    m_host = &host;
}

bool PicturesPlugin::removeBackground(const QString& input, const QString& output)
{
    if (!m_host)
        throw Fail::cantRead(input);
    GrabCutBackgroundRemover remover(&m_host->imageEngine());
    return remover.removeBackground(input, output);
}

QImage PicturesPlugin::thumbnail(const QString& path, int pixels)
{
    if (!m_host)
        return {};
    try {
        return PictureThumbnails::of(m_host->imageEngine(), path, pixels);
    } catch (const std::exception&) {
        return {};
    }
}
