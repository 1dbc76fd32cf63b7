#include "ui/DesktopExtensionLink.h"

#include "core/Log.h"
#include "core/Settings.h"
#include "platform/DesktopExtension.h"
#include "platform/Platform.h"
#include "platform/gnome/ShellCoordinates.h"
#include "ui/InstanceService.h"
#include "ui/TrayApplication.h"
#include "ui/settings/SettingsWindow.h"
#include "ui/wheel/DragWatcher.h"
#include "ui/wheel/WheelController.h"

#include <QTimer>

namespace {

// At login the program may start while the Shell still turns its
// extensions on: its answer counts once it has settled.
constexpr int settleMs = 3000;

const char* stateName(DesktopExtension::State state)
{
    switch (state) {
    case DesktopExtension::State::unknown:
        return "unknown";
    case DesktopExtension::State::missing:
        return "not installed";
    case DesktopExtension::State::newLogin:
        return "installed, found at the next login";
    case DesktopExtension::State::off:
        return "off";
    case DesktopExtension::State::on:
        return "on";
    case DesktopExtension::State::failed:
        return "failed";
    case DesktopExtension::State::outdated:
        return "made for older versions";
    }
    return "";
}

} // namespace

DesktopExtensionLink::DesktopExtensionLink(InstanceService* instance, TrayApplication* tray,
                                           QObject* parent)
    : QObject(parent), m_tray(tray)
{
    connect(instance, &InstanceService::triggeredAt, this, &DesktopExtensionLink::triggerAt);
    connect(instance, &InstanceService::dragEnded, this, &DesktopExtensionLink::dragEnded);
    connect(instance, &InstanceService::hotKeyPressed, tray,
            [tray] { tray->openForCopiedFiles(); });
    instance->setTrayMenu(tray->menu(), [tray] { return tray->tray() != nullptr; });
    connect(tray, &TrayApplication::trayIconShown, instance, &InstanceService::menuChanged);
    if (DesktopExtension* extension = Platform::shared().desktopExtension()) {
        connect(extension, &DesktopExtension::stateChanged, this, [extension] {
            qCInfo(lcApp, "the desktop's extension is %s", stateName(extension->state()));
        });
        connect(instance, &InstanceService::hotKeyGrabbed, extension,
                [extension](const QString& accelerator, bool grabbed) {
                    extension->setHotKeyGrab(accelerator, !grabbed);
                });
        QTimer::singleShot(settleMs, this, &DesktopExtensionLink::guideOnce);
    }
}

void DesktopExtensionLink::triggerAt(WheelMode::Mode mode, QPoint point, QSize space)
{
    // Read now: the window system hands a drag's files to X11 clients from
    // its start on GNOME.
    const QStringList files = m_tray->watcher() ? m_tray->watcher()->dragFiles() : QStringList();
    if (files.isEmpty()) {
        qCInfo(lcApp, "a trigger key during a drag without files: no wheel");
        return;
    }
    const QPoint at = ShellCoordinates::toGlobal(point, space, ShellCoordinates::screens());
    qCInfo(lcApp, "showing wheel: %s at %d,%d (the desktop's %d,%d of %dx%d)",
           qUtf8Printable(WheelMode::title(mode)), at.x(), at.y(), point.x(), point.y(),
           space.width(), space.height());
    WheelController::shared().showAt(mode, files, at);
}

void DesktopExtensionLink::dragEnded()
{
    if (m_tray->watcher())
        m_tray->watcher()->forgetDrag();
    // A drop on the wheel has chosen by now, or does within the grace time.
    WheelController::shared().dragEnded();
}

void DesktopExtensionLink::guideOnce()
{
    DesktopExtension* extension = Platform::shared().desktopExtension();
    const DesktopExtension::State state = extension->state();
    qCInfo(lcApp, "the desktop's extension is %s", stateName(state));
    if (state == DesktopExtension::State::on || state == DesktopExtension::State::unknown ||
        Settings::shared().get(SettingKeys::extensionGuided))
        return;
    Settings::shared().set(SettingKeys::extensionGuided, true);
    qCInfo(lcApp, "opening the guide: the gesture needs the desktop's extension");
    SettingsWindow::shared().show(SettingsWindow::welcome);
}
