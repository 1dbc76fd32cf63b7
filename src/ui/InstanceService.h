#pragma once

#include "core/WheelMode.h"

#include <QObject>
#include <QStringList>

// The tray application's side of org.flingdial.Flingdial on the session
// bus: the one instance of the session, which a second start, a compositor
// binding (flingdial --trigger) or a desktop's extension talks to. Each
// method answers at once and does its work afterwards.
class InstanceService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.flingdial.Flingdial")

public:
    enum class Claim { claimed, taken, noBus };

    explicit InstanceService(QObject* parent = nullptr);

    // Takes the session's name and offers the methods; `taken` when another
    // instance holds it.
    Claim claim(QString* why = nullptr);

public Q_SLOTS:
    void OpenSettings();
    // The keyboard wheel for `files`; `mode` is "convert", "tools" or "actions".
    void OpenWheel(const QStringList& files, const QString& mode);
    // A trigger key: during a drag, the wheel of `mode` at the pointer;
    // otherwise the keyboard wheel for the copied files. An empty `mode` is
    // the hot key (the convert wheel); a key of a mode is pressed during
    // drags, so where drags can't be seen it waits for one.
    void Trigger(const QString& mode);

Q_SIGNALS:
    void settingsRequested();
    void wheelRequested(WheelMode::Mode mode, const QStringList& files);
    void triggered(WheelMode::Mode mode, bool duringDrag);
};
