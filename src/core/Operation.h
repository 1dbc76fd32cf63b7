#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// One entry of the wheel: what it shows and the work it does on the files.
struct Operation
{
    enum class Execution {
        background, // on the thread pool, with busy state and the finishing steps
        immediate,  // at once on the main thread, results discarded
    };

    using Perform = std::function<QStringList(const QStringList& files)>;

    Operation(QString title, Perform perform);

    QString title;
    std::optional<QString> symbol;
    bool isConversion = false;
    // The format key a conversion makes ("jpg", "tar.gz").
    std::optional<QString> target;
    // It asks the user for something before it works: its title ends with
    // "…", as every such title does.
    bool asksFirst = false;
    // Its work lays text out (documents), which needs Qt's GUI even
    // without a display.
    bool laysOutText = false;
    Execution execution = Execution::background;
    // Folders are among its inputs (packing); other operations take files.
    bool takesFolders = false;
    // Present when a component is missing: the operation is offered but
    // shows this text instead of running.
    std::optional<QString> unavailableReason;
    Perform perform;

    Operation& withSymbol(const QString& name);

    // An operation that applies `step` to each file in order and collects
    // the results; the first failure ends it (earlier results stay on disk).
    static Operation perFile(const QString& title, const QString& symbol,
                             std::function<QString(const QString& file)> step);
    // Applies `step` to each file in order, reporting which one runs.
    static QStringList eachFile(const QStringList& files,
                                const std::function<QString(const QString& file)>& step);
    // An operation that works on all files together and makes one result.
    static Operation allFiles(const QString& title, const QString& symbol,
                              std::function<QString(const QStringList& files)> work);
};
