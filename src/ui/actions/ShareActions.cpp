#include "ui/actions/ShareActions.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/FileOps.h"
#include "base/Translate.h"
#include "core/Ask.h"
#include "core/Deps.h"
#include "core/Output.h"
#include "core/ResultGuard.h"
#include "core/Shell.h"
#include "platform/Platform.h"
#include "ui/actions/Shelf.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace ShareActions {
FLINGDIAL_TR_CONTEXT(ShareActions)

namespace {

Operation immediate(const QString& title, const QString& symbol, Operation::Perform perform)
{
    Operation operation(title, std::move(perform));
    operation.symbol = symbol;
    operation.execution = Operation::Execution::immediate;
    return operation;
}

// Wraps an action that makes no files.
template<typename Work> Operation::Perform returningNothing(Work work)
{
    return [work](const QStringList& files) {
        work(files);
        return QStringList();
    };
}

} // namespace

QList<Operation> all()
{
    return {
        immediate(tr("Send to Device"), QStringLiteral("airdrop"), returningNothing(sendToDevice)),
        immediate(tr("Shelf"), QStringLiteral("tray"), returningNothing(shelve)),
        immediate(tr("Copy"), QStringLiteral("doc.on.doc"), returningNothing(copyFiles)),
        immediate(tr("Move…"), QStringLiteral("folder"), moveFiles),
        immediate(tr("Copy Path"), QStringLiteral("link"), returningNothing(copyPaths)),
        immediate(tr("Terminal"), QStringLiteral("apple.terminal"), returningNothing(openTerminal)),
    };
}

void sendToDevice(const QStringList& files)
{
    const Fail unreachable(tr("No paired device is reachable right now."));
    const auto cli = Deps::find(QStringLiteral("kdeconnect-cli"));
    if (!cli)
        throw Fail(Component{QStringLiteral("KDE Connect"),
                             QStringLiteral("sudo apt install kdeconnect"),
                             tr("Sending to a device needs KDE Connect.\nInstall it with:")}
                       .text());
    QString device;
    try {
        device = Shell::run(*cli, {QStringLiteral("--list-available"), QStringLiteral("--id-only")})
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                     .value(0)
                     .trimmed();
    } catch (const Error&) {
        throw unreachable;
    }
    if (device.isEmpty())
        throw unreachable;
    for (const QString& file : files)
        Shell::run(*cli, {QStringLiteral("--device"), device, QStringLiteral("--share"),
                          QUrl::fromLocalFile(file).toString()});
}

void shelve(const QStringList& files)
{
    Shelf::show(files);
}

std::unique_ptr<QMimeData> filesMimeData(const QStringList& files)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    QByteArray copied = "copy";
    for (const QString& file : files) {
        const QUrl url = QUrl::fromLocalFile(file);
        urls.append(url);
        copied += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    return data;
}

void copyFiles(const QStringList& files)
{
    QGuiApplication::clipboard()->setMimeData(filesMimeData(files).release());
}

QString movePrompt(const QStringList& files)
{
    if (files.size() == 1)
        return tr("Move %1 to:").arg(QFileInfo(files.first()).fileName());
    return tr("Move %n items to:", nullptr, int(files.size()));
}

// Renames within a file system. Across file systems the copy is made under
// a hidden name and takes its name only once complete (a full disk leaves
// nothing), and the original goes only after that.
QString moveInto(const QString& file, const QString& folder)
{
    const QFileInfo info(file);
    if (info.absolutePath() == QDir(folder).absolutePath())
        return file; // already there
    if (QDir(folder).absolutePath().startsWith(info.absoluteFilePath() + QLatin1Char('/')))
        throw Fail(tr("“%1” can’t be moved into itself.").arg(info.fileName()));
    const QString wanted = QDir(folder).filePath(info.fileName());
    if (const auto placed = ResultGuard::moveWithoutReplacing(file, wanted))
        return *placed;
    const QString copied =
        ResultGuard::make(wanted, [&](const QString& out) { FileOps::copy(file, out); });
    FileOps::remove(file);
    return copied;
}

QStringList moveFiles(const QStringList& files)
{
    const QString folder = Ask::folder(movePrompt(files), QFileInfo(files.first()).absolutePath());
    if (!QFileInfo(folder).isDir())
        throw Fail(tr("The folder “%1” doesn’t exist.").arg(QDir(folder).dirName()));
    return Operation::eachFile(files, [&](const QString& file) { return moveInto(file, folder); });
}

void copyPaths(const QStringList& files)
{
    QGuiApplication::clipboard()->setText(files.join(QLatin1Char('\n')));
}

QString terminalFolder(const QStringList& files)
{
    const QString first = files.first();
    if (QFileInfo(first).isDir() && FileKind::of(first) == FileKind::folder)
        return first;
    return QFileInfo(first).absolutePath();
}

void openTerminal(const QStringList& files)
{
    Platform::shared().openTerminal(terminalFolder(files));
}

} // namespace ShareActions
