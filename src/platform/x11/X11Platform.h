#pragma once

#include "platform/desktop/DesktopPlatform.h"
#include "platform/x11/X11CopyDrops.h"
#include "platform/x11/X11WindowFocus.h"

// An X11 session, or a Wayland session seen through XWayland: drags watched
// through XDND and XFixes, the hot key grabbed on the root window, the wheel
// on an override-redirect window.
class X11Platform : public DesktopPlatform
{
public:
    QString name() const override { return QStringLiteral("x11"); }

    std::unique_ptr<GlobalHotKey> createHotKey(QObject* parent, QString* why) override;
    std::unique_ptr<DragSource> createDragSource(QString* why) override;
    quintptr trayManager() override { return m_focus.trayManager(); }
    void setOwnDragFiles(const QStringList& files) override { m_ownDragFiles = files; }

    void answerEveryDropAsCopy() override;
    WheelWindow wheelWindow() const override { return WheelWindow::unmanaged; }
    void prepareManagedWindow(quintptr window, bool keepAbove) override
    {
        m_focus.prepareManaged(window, keepAbove);
    }
    bool hasCompositor() override { return m_focus.hasCompositor(); }
    void rememberActiveWindow(const QList<quintptr>& own) override { m_focus.remember(own); }
    void restoreActiveWindow() override { m_focus.restore(); }

private:
    QStringList m_ownDragFiles;
    X11WindowFocus m_focus;
    std::unique_ptr<X11CopyDrops> m_copyDrops;
};
