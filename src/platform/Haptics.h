#pragma once

#include <memory>

// Haptic feedback. Linux desktops have none; the seam lets tests count requests.
class Haptics
{
public:
    virtual ~Haptics() = default;
    // The light tick given when the highlighted slice changes.
    virtual void alignment() = 0;

    static Haptics& shared();
    static void install(std::unique_ptr<Haptics> haptics);
};
