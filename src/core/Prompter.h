#pragma once

#include <QString>
#include <memory>
#include <optional>

// Shows the modal prompts that operations need. Called on the main thread
// only; nothing (std::nullopt) means the user cancelled. Declared here so
// that Ask can use it; the program installs an implementation at start-up
// (dialogs with a display, standard input without).
class Prompter
{
public:
    virtual ~Prompter() = default;

    virtual std::optional<QString> text(const QString& title, const QString& message,
                                        const QString& placeholder, const QString& value) = 0;
    virtual std::optional<QString> folder(const QString& message,
                                          const std::optional<QString>& startingAt) = 0;

    // The prompter the program installed at start-up; one that declines
    // every prompt until then.
    static Prompter& shared();
    static void install(std::unique_ptr<Prompter> prompter);
};
