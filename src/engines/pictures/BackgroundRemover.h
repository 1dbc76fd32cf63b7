#pragma once

#include <QString>
#include <QtPlugin>

// Separates a picture's subject from its background.
class BackgroundRemover
{
public:
    virtual ~BackgroundRemover() = default;

    // Writes the picture with its background transparent as an 8-bit RGBA
    // PNG. False when no subject stands out; Fail when it can't be read.
    virtual bool removeBackground(const QString& input, const QString& output) = 0;
};

#define FlingdialBackgroundRemover_iid "org.flingdial.BackgroundRemover/1"
Q_DECLARE_INTERFACE(BackgroundRemover, FlingdialBackgroundRemover_iid)
