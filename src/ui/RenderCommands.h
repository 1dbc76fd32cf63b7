#pragma once

#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QImage>
#include <QStringList>

// The commands that draw pictures: the icons and a snapshot of the wheel.
namespace RenderCommands {

// "--render-icon OUT [SIZE]" and "--render-menubar OUT [SIZE]".
int renderIcon(const QStringList& arguments);
// "--snapshot OUT MODE APPEARANCE FILE…".
int snapshot(const QStringList& arguments);

// The 432 × 432 picture of the wheel, first slice highlighted.
QImage wheelPicture(WheelMode::Mode mode, bool dark, const QList<Operation>& items,
                    const QStringList& files);

} // namespace RenderCommands
