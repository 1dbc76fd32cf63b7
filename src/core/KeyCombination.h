#pragma once

#include "core/ModifierKey.h"

#include <QCoreApplication>
#include <QString>
#include <QtGlobal>
#include <optional>

// A key pressed with modifiers, such as the hot key. Stored as text
// ("Ctrl+Alt+Space"); grabbed by the key's keysym, the name X11 and XKB
// (and so every Wayland compositor and GNOME Shell) give the key.
class KeyCombination
{
    Q_DECLARE_TR_FUNCTIONS(KeyCombination)

public:
    // Null when `text` names no combination that can be grabbed. Reads the
    // names Qt writes too ("Meta" for Super, "PgUp"), in any letter case.
    static std::optional<KeyCombination> fromText(const QString& text);
    // From a key event's key code and modifiers. Null for a key that can't
    // be part of one: a modifier on its own, Escape, keys of other layouts.
    static std::optional<KeyCombination> fromKey(int qtKey, Qt::KeyboardModifiers modifiers);

    // "Ctrl+Alt+Space", as stored.
    QString text() const;
    // As the user's keyboard names the keys ("Strg+Alt+Leertaste" in German).
    QString shownText() const;
    // GTK's and GNOME Shell's form: "<Control><Alt>space".
    QString accelerator() const;
    quint32 keysym() const;
    // The keysym's name ("space", "k", "Page_Down"), as XKB configurations write it.
    QString keysymName() const;
    int qtKey() const;
    ModifierKey::Flags modifiers() const { return m_modifiers; }
    Qt::KeyboardModifiers qtModifiers() const;
    // Whether the key, with these modifiers, is part of typing or moving
    // around in text (K, Shift+K, Return), which a hot key would take away.
    bool getsInTheWayOfTyping() const;

    bool operator==(const KeyCombination& other) const = default;

private:
    KeyCombination(ModifierKey::Flags modifiers, int key) : m_modifiers(modifiers), m_key(key) {}

    ModifierKey::Flags m_modifiers;
    int m_key; // an index into the table of keys
};
