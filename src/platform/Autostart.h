#pragma once

// Whether the program starts when the user logs in.
class Autostart
{
public:
    virtual ~Autostart() = default;

    virtual bool isEnabled() const = 0;
    // Both throw SystemError when the system refuses.
    virtual void enable() = 0;
    virtual void disable() = 0;
};
