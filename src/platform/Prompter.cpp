#include "platform/Prompter.h"

#include "platform/linux/ConsolePrompter.h"

namespace {
std::unique_ptr<Prompter>& installed()
{
    static std::unique_ptr<Prompter> prompter = std::make_unique<ConsolePrompter>();
    return prompter;
}
} // namespace

Prompter& Prompter::shared()
{
    return *installed();
}

void Prompter::install(std::unique_ptr<Prompter> prompter)
{
    installed() = std::move(prompter);
}
