#pragma once

#include <QImage>
#include <optional>

// Separates a picture's subject from its background.
class BackgroundRemover
{
public:
    virtual ~BackgroundRemover() = default;

    // The picture with its background transparent, or nothing when no
    // subject stands out.
    virtual std::optional<QImage> cutOut(const QImage& picture) = 0;
};
