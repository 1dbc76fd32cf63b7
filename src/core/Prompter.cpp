#include "core/Prompter.h"

namespace {

// Until the program installs a prompter there is nobody to ask: every
// prompt is declined.
class NoPrompter : public Prompter
{
public:
    std::optional<QString> text(const QString&, const QString&, const QString&,
                                const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> folder(const QString&, const std::optional<QString>&) override
    {
        return std::nullopt;
    }
};

std::unique_ptr<Prompter>& installed()
{
    static std::unique_ptr<Prompter> prompter;
    return prompter;
}

} // namespace

Prompter& Prompter::shared()
{
    static NoPrompter nobody;
    Prompter* prompter = installed().get();
    return prompter ? *prompter : nobody;
}

void Prompter::install(std::unique_ptr<Prompter> prompter)
{
    installed() = std::move(prompter);
}
