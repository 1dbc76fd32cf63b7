#pragma once

#include <QObject>
#include <QString>

// The desktop's own extension that the gesture needs where the session
// keeps the pointer and the keys from X11 clients (GNOME Shell's): its
// state as the desktop reports it, and the one step that turns it on.
class DesktopExtension : public QObject
{
    Q_OBJECT

public:
    enum class State {
        unknown,  // the desktop doesn't answer
        missing,  // not installed where the desktop looks
        newLogin, // installed after the desktop started: it finds it at the next login
        off,
        on,
        failed,   // installed but the desktop couldn't start it: failure() says why
        outdated, // the desktop is newer than the versions it was made for
    };

    using QObject::QObject;

    // What users call it ("Flingdial’s GNOME Shell extension"), and the
    // desktop's own place to switch extensions ("the Extensions app").
    virtual QString name() const = 0;
    virtual QString manager() const = 0;
    virtual State state() = 0;
    // The desktop's own words about a failure (empty when it gave none).
    virtual QString failure() = 0;
    // The command that turns it on, for the user to type.
    virtual QString enableCommand() const = 0;
    // Turns it on now; false with a sentence in `why`.
    virtual bool enable(QString* why) = 0;

    // What the extension said when it last grabbed the hot key (in GTK's
    // accelerator syntax): whether another binding of the desktop holds it.
    void setHotKeyGrab(const QString& accelerator, bool heldElsewhere)
    {
        m_hotKey = accelerator;
        m_hotKeyHeldElsewhere = heldElsewhere;
        Q_EMIT hotKeyGrabChanged();
    }
    bool isHotKeyHeldElsewhere(const QString& accelerator) const
    {
        return m_hotKeyHeldElsewhere && accelerator == m_hotKey;
    }

Q_SIGNALS:
    void stateChanged();
    void hotKeyGrabChanged();

private:
    QString m_hotKey;
    bool m_hotKeyHeldElsewhere = false;
};
