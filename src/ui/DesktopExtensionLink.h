#pragma once

#include "core/WheelMode.h"

#include <QObject>
#include <QPoint>
#include <QSize>

class InstanceService;
class TrayApplication;

// What a desktop's extension (GNOME Shell's) tells the running program,
// carried to the wheel: a trigger key during a drag opens the wheel where
// the extension saw the pointer, the end of that drag closes it, and the
// hot key opens the keyboard wheel. It hands the extension the tray menu,
// and on the first start where the extension is needed but not on, opens
// the guide that explains the one step.
class DesktopExtensionLink : public QObject
{
    Q_OBJECT

public:
    DesktopExtensionLink(InstanceService* instance, TrayApplication* tray,
                         QObject* parent = nullptr);

    // The wheel of `mode` for the drag in progress, at `point` of the
    // desktop's `space`.
    void triggerAt(WheelMode::Mode mode, QPoint point, QSize space);
    void dragEnded();

private:
    void guideOnce();

    TrayApplication* m_tray;
};
