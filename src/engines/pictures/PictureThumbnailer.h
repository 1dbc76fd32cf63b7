#pragma once

#include <QString>
#include <QtPlugin>

class QImage;

// Small pictures of what pictures hold, made from the file itself.
class PictureThumbnailer
{
public:
    virtual ~PictureThumbnailer() = default;

    // The picture shrunk to fit `pixels` × `pixels`; a null image for other
    // files or files that can't be read.
    virtual QImage thumbnail(const QString& path, int pixels) = 0;
};

#define FlingdialPictureThumbnailer_iid "org.flingdial.PictureThumbnailer/1"
Q_DECLARE_INTERFACE(PictureThumbnailer, FlingdialPictureThumbnailer_iid)
