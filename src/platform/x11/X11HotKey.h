#pragma once

#include "platform/GlobalHotKey.h"
#include "platform/x11/X11.h"

#include <optional>

class QSocketNotifier;

// The hot key grabbed on the root window, in its four Num Lock and Caps
// Lock variants, over a connection of its own.
class X11HotKey : public GlobalHotKey
{
    Q_OBJECT

public:
    explicit X11HotKey(QObject* parent = nullptr);
    ~X11HotKey() override;

    bool isValid() const { return m_x.isValid(); }
    void setKeys(const KeyCombination& keys) override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }
    bool isHeldElsewhere() const override { return m_heldElsewhere; }

private:
    void grab();
    void ungrab();
    void readEvents();
    // The key code that types `keysym` on the keyboard as it is now; 0 for none.
    xcb_keycode_t keycodeOf(xcb_keysym_t keysym) const;
    // The keyboard's mapping changed.
    void keyboardChanged();
    QList<uint16_t> modifierVariants() const;

    X11Connection m_x;
    std::optional<KeyCombination> m_keys;
    // The key's code on this keyboard; none when no key gives its keysym.
    xcb_keycode_t m_keycode = 0;
    bool m_enabled = false;
    bool m_heldElsewhere = false;
    QSocketNotifier* m_notifier = nullptr;
};
