#pragma once

#include "platform/GlobalShortcuts.h"

#include <QDBusConnection>
#include <QHash>
#include <QKeySequence>
#include <optional>

class QDBusMessage;

// The program's shortcuts registered with kglobalaccel over D-Bus (KWin
// runs it on Plasma's Wayland sessions), under the component "flingdial",
// shown as "Flingdial" in System Settings → Shortcuts. Speaks both the
// first interface (keys as ints, Plasma 5) and the second one (keys as
// sequences, the only one some Plasma 6 builds keep).
class KGlobalAccelShortcuts : public GlobalShortcuts
{
    Q_OBJECT

public:
    static const QString component;

    explicit KGlobalAccelShortcuts(const QDBusConnection& bus, QObject* parent = nullptr);

    // Registers every shortcut and listens for presses and changes; false,
    // with `why`, when kglobalaccel didn't answer.
    bool start(QString* why);

    QList<Bound> inForce() const override;
    QString whereToChange() const override;
    QString modifierKeysNote() const override { return {}; }
    void setHotKeyEnabled(bool enabled) override;

private Q_SLOTS:
    void notePressed(const QString& componentName, const QString& actionName, qlonglong time);
    void noteChanged(const QDBusMessage& message);
    void release();

private:
    QStringList actionId(const Action& action) const;
    // Sets keys with `flags` and answers the keys in force, through the
    // second interface or else the first.
    std::optional<QList<QKeySequence>> setKeys(const QStringList& id,
                                               const QList<QKeySequence>& keys, uint flags);
    bool activate(const Action& action);
    QDBusMessage call(const QString& method, const QVariantList& arguments) const;

    QDBusConnection m_bus;
    QHash<QString, QList<QKeySequence>> m_keys;
    bool m_hotKeyEnabled = true;
};
