#pragma once

#include "platform/Platform.h"
#include "platform/headless/XdgAutostart.h"

// A session without a display: command-line work. Only what needs no
// window system is there (starting at login); the rest is absent.
class HeadlessPlatform : public Platform
{
public:
    QString name() const override { return QStringLiteral("headless"); }

    Autostart& autostart() override { return m_autostart; }
    Notifier* notifier() override { return nullptr; }
    FileManager* fileManager() override { return nullptr; }
    Thumbnails* thumbnails() override { return nullptr; }
    void playCompletionSound() override {}

    std::unique_ptr<GlobalHotKey> createHotKey(QObject* parent, QString* why) override;
    std::unique_ptr<DragSource> createDragSource(QString* why) override;
    quintptr trayManager() override { return 0; }
    void setOwnDragFiles(const QStringList&) override {}

    void answerEveryDropAsCopy() override {}
    WheelWindow wheelWindow() const override { return WheelWindow::unmanaged; }
    bool hasCompositor() override { return false; }
    void rememberActiveWindow(const QList<quintptr>&) override {}
    void restoreActiveWindow() override {}

private:
    XdgAutostart m_autostart;
};
