#pragma once

#include "engines/images/ImageEngine.h"

#include <QImage>
#include <QString>
#include <optional>

// A picture's upright pixels from the image engine, as a QImage.
namespace UprightPicture {

// Shrunk to fit `fitInto` × `fitInto` when given; a null image when the
// file can't be read.
QImage load(ImageEngine& engine, const QString& path, std::optional<int> fitInto = std::nullopt);

} // namespace UprightPicture
