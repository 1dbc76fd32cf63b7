#pragma once

#include "engines/images/ImageEngine.h"
#include "engines/pictures/BackgroundRemover.h"

#include <QImage>
#include <optional>

// Background removal with OpenCV's GrabCut: the border is taken as
// background and the centre as probable subject, on a copy about 600 pixels
// across; the mask is scaled back up and feathered.
class GrabCutBackgroundRemover : public BackgroundRemover
{
public:
    // Pictures are read through `images`, which must outlive this object.
    explicit GrabCutBackgroundRemover(ImageEngine* images = nullptr) : m_images(images) {}

    bool removeBackground(const QString& input, const QString& output) override;

    // The picture with its background transparent, or nothing when no
    // subject stands out.
    std::optional<QImage> cutOut(const QImage& picture);

private:
    ImageEngine* m_images;
};
