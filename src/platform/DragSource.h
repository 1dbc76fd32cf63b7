#pragma once

#include "core/ModifierKey.h"

#include <QStringList>

// What the drag watcher polls: the system's drag data, seen from outside
// the drag, and the pointer's buttons and modifier keys.
class DragSource
{
public:
    struct Pointer
    {
        bool leftButton = false;
        ModifierKey::Flags modifiers = 0;
    };

    virtual ~DragSource() = default;

    // Grows by one each time a new drag puts its data up.
    virtual quint64 changeCount() = 0;
    virtual Pointer pointer() = 0;
    // The files of the current drag, in order (empty for other data).
    virtual QStringList files() = 0;
    // The data types the drag offers.
    virtual QStringList types() = 0;
};
