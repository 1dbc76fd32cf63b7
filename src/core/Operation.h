#pragma once

#include "core/Component.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
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
    using Step = std::function<QString(const QString& file)>;
    // The memory one file takes while it is worked on, in bytes (0: little).
    // Must not throw.
    using MemoryNeed = std::function<qint64(const QString& file)>;
    // A line about what the work achieved, from its files and results
    // ("4.2 MB → 1.1 MB"), shown with the results; empty says nothing.
    using Summary = std::function<QString(const QStringList& files, const QStringList& results)>;

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
    // explains how to install it instead of running.
    std::optional<Component> missing;
    Perform perform;
    Summary summary;

    Operation& withSymbol(const QString& name);
    Operation& withSummary(Summary describe);

    // An operation that applies `step` to each file in order and collects
    // the results; the first failure ends it (earlier results stay on disk).
    // With a memory need, the files run side by side (see sideBySide).
    static Operation perFile(const QString& title, const QString& symbol, Step step,
                             MemoryNeed need = {});
    // Applies `step` to each file in order, reporting which one runs.
    static QStringList eachFile(const QStringList& files, const Step& step);
    // Applies `step` to up to `workers` files at once (0: one per core, or
    // FLINGDIAL_WORKERS when set),
    // starting them in order while their estimated needs together stay
    // within sideBySideMemory(); a file that needs more runs alone. Each
    // file runs in a job of its own that a cancel of the current job
    // reaches. The current job hears how many files are done ("12 of 40")
    // and the share of the running ones. Results keep the files' order.
    // The first failure in file order lets the files before it finish,
    // cancels those after it and is thrown; finished results stay on disk.
    static QStringList sideBySide(const QStringList& files, const Step& step,
                                  const MemoryNeed& need, int workers = 0);
    // Half the memory that is free now: what files side by side may take.
    static qint64 sideBySideMemory();
    // How many files the calling thread's batch runs at once (1 outside a
    // batch): work that starts threads of its own gives each file its
    // share of the cores.
    static int filesAtOnce();
    // "4.2 MB → 1.1 MB": the files' total size and the results'.
    static QString sizeChange(const QStringList& files, const QStringList& results);
    // An operation that works on all files together and makes one result.
    static Operation allFiles(const QString& title, const QString& symbol,
                              std::function<QString(const QStringList& files)> work);
};
