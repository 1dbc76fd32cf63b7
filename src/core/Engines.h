#pragma once

#include "engines/documents/DocumentEngine.h"
#include "engines/images/ImageEngine.h"
#include "engines/ocr/TextLayerEngine.h"
#include "engines/pdf/PdfEngine.h"
#include "engines/pdfcompress/PdfCompressor.h"
#include "engines/pictures/BackgroundRemover.h"
#include "engines/pictures/PictureThumbnailer.h"

class EngineHost;

// The engines, each a plugin loaded on first use. Each throws Fail with a
// sentence that says to reinstall when its plugin is missing.
namespace Engines {

ImageEngine& images();
BackgroundRemover& backgroundRemover();
PictureThumbnailer& thumbnailer();
DocumentEngine& documents();
PdfEngine& pdf();
PdfCompressor& pdfCompressor();
TextLayerEngine& textLayers();

// What the plugins borrow from the program.
EngineHost& host();

} // namespace Engines
