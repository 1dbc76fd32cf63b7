#pragma once

#include "core/WheelMode.h"

#include <QList>
#include <QObject>
#include <QString>

// The program's shortcuts as the desktop keeps them, where it lets a program
// register global shortcuts of its own (KDE Plasma): the hot key and one key
// per wheel mode, listed under the program's name in the desktop's settings,
// where the user changes them.
class GlobalShortcuts : public QObject
{
    Q_OBJECT

public:
    // One shortcut: its id with the desktop, what it opens, and the key it
    // has until the user picks another.
    struct Action
    {
        QString id;
        WheelMode::Mode mode;
        // The hot key: the "hotkey" setting switches it off.
        bool hotKey = false;
        // In QKeySequence's portable form ("Ctrl+Alt+Space").
        QString defaultKeys;
    };

    // A shortcut as the desktop has it now.
    struct Bound
    {
        QString id;
        QString description;
        // The keys as the desktop shows them; empty when none is set.
        QString keys;
    };

    using QObject::QObject;

    // The hot key first, then one per mode, in mode order.
    static const QList<Action>& actions();
    static const Action* action(const QString& id);
    // What the desktop's settings show for `action`.
    static QString description(const Action& action);

    // The shortcuts and their keys, in the order of actions(); empty until
    // the desktop has answered.
    virtual QList<Bound> inForce() const = 0;
    // The hot key's first keys as the desktop shows them ("Meta+K"); empty
    // when it has none or hasn't answered yet.
    QString hotKeyInForce() const;
    // Where the user changes them ("System Settings → Shortcuts → Flingdial").
    virtual QString whereToChange() const = 0;
    // Whether trigger keys held during a drag reach the program too, and
    // how to let them: one sentence, or nothing where they always do.
    virtual QString modifierKeysNote() const = 0;
    // Lets go of the hot key while the "hotkey" setting is off, so that
    // other programs get it, where the desktop allows that.
    virtual void setHotKeyEnabled(bool enabled) = 0;

Q_SIGNALS:
    // The shortcut with `id` was pressed.
    void activated(const QString& id);
    // The keys in force changed (the user set others, or the desktop answered).
    void changed();
};
