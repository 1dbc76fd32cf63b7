#pragma once

#include "core/KeyCombination.h"

#include <QObject>

// A key combination, system-wide: Ctrl+Alt+Space unless the user chose
// another.
class GlobalHotKey : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The keys to register; registered at once when enabled.
    virtual void setKeys(const KeyCombination& keys) = 0;
    // Registers or releases the keys; keys another program holds stay
    // silent (see isHeldElsewhere()).
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
    // Whether, while enabled, the keys go to another program instead.
    virtual bool isHeldElsewhere() const = 0;

Q_SIGNALS:
    void pressed();
};
