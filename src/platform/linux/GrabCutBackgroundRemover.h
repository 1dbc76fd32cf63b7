#pragma once

#include "platform/BackgroundRemover.h"

#include <QImage>
#include <optional>

// Background removal with OpenCV's GrabCut: the border is taken as
// background and the centre as probable subject, on a copy about 600 pixels
// across; the mask is scaled back up and feathered.
class GrabCutBackgroundRemover : public BackgroundRemover
{
public:
    bool removeBackground(const QString& input, const QString& output) override;

    // The picture with its background transparent, or nothing when no
    // subject stands out.
    std::optional<QImage> cutOut(const QImage& picture);
};
