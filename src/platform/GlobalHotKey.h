#pragma once

#include <QObject>

// Ctrl+Alt+Space, system-wide.
class GlobalHotKey : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Registers or releases the key; a key another program holds stays
    // silent (and is logged).
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;

Q_SIGNALS:
    void pressed();
};
