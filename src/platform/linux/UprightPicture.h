#pragma once

#include <QImage>
#include <QString>

// A picture's upright pixels from the image engine, as a QImage.
namespace UprightPicture {

// A null image when the file can't be read.
QImage load(const QString& path);

} // namespace UprightPicture
