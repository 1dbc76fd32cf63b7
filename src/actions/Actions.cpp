#include "actions/Actions.h"

#include "core/Errors.h"

namespace Actions {

namespace {

Operation immediate(const QString& title, const QString& symbol)
{
    Operation operation(title, [title](const QStringList&) -> QStringList {
        throw notAvailableYet(QStringLiteral("“") + title + QStringLiteral("”"));
    });
    operation.symbol = symbol;
    operation.execution = Operation::Execution::immediate;
    return operation;
}

} // namespace

QList<Operation> all()
{
    return {
        immediate(QStringLiteral("Send to Device"), QStringLiteral("airdrop")),
        immediate(QStringLiteral("Shelf"), QStringLiteral("tray")),
        immediate(QStringLiteral("Copy"), QStringLiteral("doc.on.doc")),
        immediate(QStringLiteral("Move…"), QStringLiteral("folder")),
        immediate(QStringLiteral("Copy Path"), QStringLiteral("link")),
        immediate(QStringLiteral("Terminal"), QStringLiteral("apple.terminal")),
    };
}

} // namespace Actions
