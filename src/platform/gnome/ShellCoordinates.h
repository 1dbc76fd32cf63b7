#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a point GNOME Shell gives lies on the program's own screens. The
// Shell speaks in logical pixels of its stage. XWayland's coordinates equal
// them on GNOME 43 to 46 at any scale (fractional scaling scales X11
// clients up as pictures), and are a whole multiple of them where the Shell
// lets X11 clients draw at the screen's scale (GNOME 47 and later): the
// ratio of the two desktops' sizes says which. Qt then divides each screen
// by its own scale (Xft.dpi), keeping the screen's corner where it is.
namespace ShellCoordinates {

struct Screen
{
    QRect geometry; // as QScreen gives it: native corner, scaled size
    qreal devicePixelRatio = 1;
};

// The program's screens now.
QList<Screen> screens();

// `point` of a stage `stageSize` large, in Qt's global coordinates; a point
// off every screen goes to the nearest one.
QPoint toGlobal(QPoint point, QSize stageSize, const QList<Screen>& screens);

} // namespace ShellCoordinates
