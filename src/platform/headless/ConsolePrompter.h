#pragma once

#include "core/Prompter.h"

#include <cstdio>

// Prompts for runs without a display: the question goes to standard error
// and the answer is one line of standard input. An empty line or the end
// of input is a cancel.
class ConsolePrompter : public Prompter
{
public:
    explicit ConsolePrompter(std::FILE* input = stdin, std::FILE* output = stderr);

    std::optional<QString> text(const QString& title, const QString& message,
                                const QString& placeholder, const QString& value) override;
    std::optional<QString> folder(const QString& message,
                                  const std::optional<QString>& startingAt) override;

private:
    std::optional<QString> readLine();
    void write(const QString& text);

    std::FILE* m_input;
    std::FILE* m_output;
};
