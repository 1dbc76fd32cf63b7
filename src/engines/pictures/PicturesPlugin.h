#pragma once

#include "engines/EngineHost.h"
#include "engines/pictures/BackgroundRemover.h"
#include "engines/pictures/PictureThumbnailer.h"

#include <QObject>

// Background removal and thumbnails need Qt GUI and OpenCV: they
// live in a plugin of their own, loaded on first use, so that image
// conversions start without them.
class PicturesPlugin : public QObject,
                       public EnginePlugin,
                       public BackgroundRemover,
                       public PictureThumbnailer
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialBackgroundRemover_iid)
    Q_INTERFACES(EnginePlugin BackgroundRemover PictureThumbnailer)

public:
    void attach(EngineHost& host) override;
    bool removeBackground(const QString& input, const QString& output) override;
    QImage thumbnail(const QString& path, int pixels) override;

private:
    EngineHost* m_host = nullptr;
};
