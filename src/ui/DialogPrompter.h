#pragma once

#include <QCoreApplication>

#include "core/Prompter.h"

// Prompts as dialogs: a message box with a text field, and the folder chooser.
class DialogPrompter : public Prompter
{
    Q_DECLARE_TR_FUNCTIONS(DialogPrompter)

public:
    std::optional<QString> text(const QString& title, const QString& message,
                                const QString& placeholder, const QString& value) override;
    std::optional<QString> folder(const QString& message,
                                  const std::optional<QString>& startingAt) override;
};
