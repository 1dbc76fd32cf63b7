#pragma once

#include "engines/EngineHost.h"
#include "engines/images/VipsImageEngine.h"

#include <QObject>

// The image engine needs libvips and qpdf: it lives in a plugin loaded on
// first use, so that everything else starts without them.
class ImagesPlugin : public QObject, public EnginePlugin, public VipsImageEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialImageEngine_iid)
    Q_INTERFACES(EnginePlugin ImageEngine)

public:
    void attach(EngineHost&) override {}
};
