#pragma once

#include <QString>

class QImage;

// Small pictures of files' contents. Blocking: call away from the main thread.
class Thumbnails
{
public:
    virtual ~Thumbnails() = default;

    // The desktop's cached thumbnail, else one made from the picture or the
    // PDF's first page; a null image for other files.
    virtual QImage of(const QString& path, int pixels) = 0;
};
