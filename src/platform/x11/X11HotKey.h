#pragma once

#include "platform/GlobalHotKey.h"
#include "platform/x11/X11.h"

class QSocketNotifier;

// Ctrl+Alt+Space grabbed on the root window, in its four Num Lock and Caps
// Lock variants, over a connection of its own.
class X11HotKey : public GlobalHotKey
{
    Q_OBJECT

public:
    explicit X11HotKey(QObject* parent = nullptr);
    ~X11HotKey() override;

    bool isValid() const { return m_keycode != 0; }
    void setEnabled(bool enabled) override;
    bool isEnabled() const override { return m_enabled; }

private:
    void readEvents();
    QList<uint16_t> modifierVariants() const;

    X11Connection m_x;
    xcb_keycode_t m_keycode = 0;
    bool m_enabled = false;
    QSocketNotifier* m_notifier = nullptr;
};
