#include "core/Operation.h"

#include "core/Job.h"

Operation::Operation(QString title, Perform perform)
    : title(std::move(title)), perform(std::move(perform))
{
    asksFirst = this->title.endsWith(QChar(0x2026));
}

Operation& Operation::withSymbol(const QString& name)
{
    symbol = name;
    return *this;
}

Operation Operation::perFile(const QString& title, const QString& symbol,
                             std::function<QString(const QString& file)> step)
{
    Operation operation(title, [step = std::move(step)](const QStringList& files) {
        return eachFile(files, step);
    });
    return operation.withSymbol(symbol);
}

QStringList Operation::eachFile(const QStringList& files,
                                const std::function<QString(const QString& file)>& step)
{
    QStringList results;
    for (qsizetype i = 0; i < files.size(); ++i) {
        Job::reportFile(int(i), int(files.size()));
        results.append(step(files.at(i)));
    }
    return results;
}

Operation Operation::allFiles(const QString& title, const QString& symbol,
                              std::function<QString(const QStringList& files)> work)
{
    Operation operation(title, [work = std::move(work)](const QStringList& files) {
        return QStringList{work(files)};
    });
    return operation.withSymbol(symbol);
}
