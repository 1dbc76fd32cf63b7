#include "platform/headless/ConsolePrompter.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

ConsolePrompter::ConsolePrompter(std::FILE* input, std::FILE* output)
    : m_input(input), m_output(output)
{}

std::optional<QString> ConsolePrompter::text(const QString& title, const QString& message,
                                             const QString& placeholder, const QString& value)
{
    QString question = title + QLatin1Char('\n') + message;
    // The example once: most messages already give it.
    if (!placeholder.isEmpty() && !message.contains(placeholder))
        question += QStringLiteral(" (for example %1)").arg(placeholder);
    write(question + QLatin1Char(' '));
    Q_UNUSED(value);
    const auto answer = readLine();
    if (!answer || answer->isEmpty())
        return std::nullopt;
    return answer;
}

std::optional<QString> ConsolePrompter::folder(const QString& message,
                                               const std::optional<QString>& startingAt)
{
    write(message + QLatin1Char(' '));
    const auto answer = readLine();
    if (!answer || answer->trimmed().isEmpty())
        return std::nullopt;
    QString path = answer->trimmed();
    if (path.startsWith(QLatin1Char('~')))
        path = QDir::homePath() + path.mid(1);
    // A folder that isn't there is the operation's to report, by name.
    const QDir base(startingAt.value_or(QDir::currentPath()));
    return QDir::cleanPath(base.absoluteFilePath(path));
}

std::optional<QString> ConsolePrompter::readLine()
{
    QByteArray line;
    int c;
    while ((c = std::fgetc(m_input)) != EOF && c != '\n')
        line.append(static_cast<char>(c));
    // A typed answer ends its line on the terminal; one read from a pipe
    // doesn't, and what follows would join the question.
    if (!::isatty(::fileno(m_input)))
        write(QStringLiteral("\n"));
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

void ConsolePrompter::write(const QString& text)
{
    std::fputs(text.toUtf8().constData(), m_output);
    std::fflush(m_output);
}
