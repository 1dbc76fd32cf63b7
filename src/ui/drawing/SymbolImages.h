#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

// The symbol images named by role ("photo", "film", "doc.zipper" …), drawn
// from the desktop's icon theme.
namespace SymbolImages {

// The theme icon that stands for a symbol name, or an empty string.
QString iconName(const QString& symbol);
// Every symbol name the program uses.
QStringList knownSymbols();
// The symbol in one colour, at `size` device-independent pixels; a null
// image when the theme has no such icon.
QImage tinted(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio = 1.0);
// The theme icon of a file (by its type), or of several documents.
QImage fileIcon(const QString& path, int size, qreal devicePixelRatio = 1.0);
QImage multipleDocuments(int size, qreal devicePixelRatio = 1.0);
// The icons of up to three of `files`, stacked to fill `size`: the first in
// front at the lower left.
QImage fileStack(const QStringList& files, int size, qreal devicePixelRatio = 1.0);

} // namespace SymbolImages
