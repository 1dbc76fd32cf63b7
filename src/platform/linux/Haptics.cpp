#include "platform/Haptics.h"

namespace {

class NoHaptics : public Haptics
{
public:
    void alignment() override {}
};

std::unique_ptr<Haptics>& installed()
{
    static std::unique_ptr<Haptics> haptics = std::make_unique<NoHaptics>();
    return haptics;
}

} // namespace

Haptics& Haptics::shared()
{
    return *installed();
}

void Haptics::install(std::unique_ptr<Haptics> haptics)
{
    installed() = std::move(haptics);
}
