#pragma once

#include "platform/BackgroundRemover.h"

// Background removal with OpenCV's GrabCut: the border is taken as
// background and the centre as probable subject, on a copy about 600 pixels
// across; the mask is scaled back up and feathered.
class GrabCutBackgroundRemover : public BackgroundRemover
{
public:
    std::optional<QImage> cutOut(const QImage& picture) override;
};
