#pragma once

#include "platform/Autostart.h"

#include <QString>

// Launch at login through the XDG autostart file
// ~/.config/autostart/org.flingdial.Flingdial.desktop: enabled while it
// exists and is not hidden.
class XdgAutostart : public Autostart
{
public:
    XdgAutostart();
    explicit XdgAutostart(QString executable);

    bool isEnabled() const override;
    void enable() override;
    void disable() override;

    QString filePath() const;

private:
    QString m_executable;
};
