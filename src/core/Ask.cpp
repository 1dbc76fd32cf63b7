#include "core/Ask.h"

#include "base/Errors.h"
#include "core/Job.h"
#include "core/Prompter.h"

namespace Ask {

QString trimSpacesAndTabs(const QString& text)
{
    const auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text.at(start)))
        ++start;
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString text(const QString& title, const QString& message, const QString& placeholder,
             const QString& value)
{
    const Job::Asking asking;
    const std::optional<QString> answer =
        onMainForModal([&] { return Prompter::shared().text(title, message, placeholder, value); });
    if (!answer)
        throw Cancelled();
    const QString trimmed = trimSpacesAndTabs(*answer);
    if (trimmed.isEmpty())
        throw Cancelled();
    return trimmed;
}

QString folder(const QString& message, const std::optional<QString>& startingAt)
{
    const Job::Asking asking;
    const std::optional<QString> chosen =
        onMainForModal([&] { return Prompter::shared().folder(message, startingAt); });
    if (!chosen)
        throw Cancelled();
    return *chosen;
}

} // namespace Ask
