#pragma once

#include "platform/GlobalShortcuts.h"

#include <QPointer>

// Plasma's global shortcuts for the program: through the GlobalShortcuts
// portal where the session offers it, else registered with kglobalaccel
// directly (also when the portal fails). Either way they appear in System
// Settings → Shortcuts, and a change made there takes effect at once.
class KdeShortcuts : public GlobalShortcuts
{
    Q_OBJECT

public:
    explicit KdeShortcuts(QObject* parent = nullptr);

    // Starts the registration; the shortcuts are in force once changed()
    // comes with them.
    void start();

    QList<Bound> inForce() const override;
    QString whereToChange() const override;
    QString modifierKeysNote() const override;
    void setHotKeyEnabled(bool enabled) override;

private:
    void usePortal();
    void useKGlobalAccel();
    void adopt(GlobalShortcuts* backend);

    QPointer<GlobalShortcuts> m_backend;
    bool m_hotKeyEnabled = true;
};
