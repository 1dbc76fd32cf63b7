#pragma once

#include <QStringList>

class QMimeData;

// The files that drag-and-drop or clipboard data carries, as cleaned
// absolute paths in their order.
namespace FileUrls {

QStringList fromMimeData(const QMimeData* data);
// A text/uri-list or x-special/gnome-copied-files payload.
QStringList fromUriList(const QByteArray& payload);

} // namespace FileUrls
