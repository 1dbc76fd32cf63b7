#include "app/Runner.h"

#include "core/Deps.h"
#include "core/Errors.h"
#include "core/Log.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "platform/Notifier.h"
#include "platform/Workspace.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QThreadPool>

namespace {

// Runs `perform` and hands back its results or what it threw.
struct Outcome
{
    QStringList results;
    std::exception_ptr failure;
};

Outcome attempt(const Operation& operation, const QStringList& files)
{
    Outcome outcome;
    try {
        // Names chosen for this operation are free again once it ends.
        const NameReservations::Scope names;
        outcome.results = operation.perform(files);
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    return outcome;
}

void bringToFront(QMessageBox& box)
{
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.show();
    box.raise();
    box.activateWindow();
}

} // namespace

Runner& Runner::shared()
{
    static Runner* runner = new Runner(QCoreApplication::instance());
    return *runner;
}

Runner::Runner(QObject* parent) : QObject(parent) {}

void Runner::execute(const Operation& operation, const QStringList& files)
{
    if (files.isEmpty())
        return;
    if (operation.unavailableReason) {
        showSetupHelp(*operation.unavailableReason);
        return;
    }
    if (operation.execution == Operation::Execution::immediate) {
        const Outcome outcome = attempt(operation, files);
        if (outcome.failure)
            report(outcome.failure);
        return;
    }
    ++m_active;
    Q_EMIT busyChanged(true);
    QThreadPool::globalInstance()->start([this, operation, files] {
        const Outcome outcome = attempt(operation, files);
        QMetaObject::invokeMethod(this, [this, operation, outcome] {
            --m_active;
            Q_EMIT busyChanged(m_active > 0);
            if (outcome.failure)
                report(outcome.failure);
            else
                finish(operation, outcome.results);
        });
    });
}

QString Runner::notificationTitle(const Operation& operation)
{
    if (operation.isConversion)
        return QStringLiteral("Converted to ") + operation.title;
    QString title = operation.title;
    if (title.endsWith(QChar(0x2026)))
        title.chop(1);
    return title;
}

QString Runner::notificationBody(const QStringList& results)
{
    const QString what = results.size() == 1 ? QFileInfo(results.first()).fileName()
                                             : QStringLiteral("%1 files").arg(results.size());
    if (results.isEmpty())
        return QStringLiteral("Saved ") + what;
    // Where the results went, the home folder written as ~.
    QString folder = QFileInfo(results.first()).absolutePath();
    const QString home = QDir::homePath();
    if (folder == home || folder.startsWith(home + QLatin1Char('/')))
        folder = QLatin1Char('~') + folder.mid(home.size());
    return QStringLiteral("Saved %1 in %2").arg(what, folder);
}

void Runner::finish(const Operation& operation, const QStringList& results)
{
    qCInfo(lcApp, "%s done: %s", qUtf8Printable(operation.title),
           qUtf8Printable(results.join(QStringLiteral(", "))));
    const Settings& settings = Settings::shared();
    if (settings.get(SettingKeys::sound))
        Workspace::playCompletionSound();
    if (settings.get(SettingKeys::revealAfter) && !results.isEmpty())
        Workspace::reveal(results);
    if (settings.get(SettingKeys::notify) && Notifier::shared().isAvailable())
        Notifier::shared().post(notificationTitle(operation), notificationBody(results), results);
}

void Runner::report(const std::exception_ptr& failure)
{
    if (isCancel(failure))
        return;
    const QString description = describe(failure);
    qCCritical(lcApp, "failed: %s", qUtf8Printable(description));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Flingdial"),
                    QStringLiteral("The operation couldn’t be completed"), QMessageBox::Ok);
    box.setInformativeText(description);
    bringToFront(box);
    box.exec();
}

void Runner::showSetupHelp(const QString& reason)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Flingdial"),
                    QStringLiteral("An extra component is needed"));
    box.setInformativeText(reason);
    // Escape closes it like OK.
    box.setEscapeButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    const auto command = Deps::installCommand(reason);
    QPushButton* copy =
        command ? box.addButton(QStringLiteral("Copy Command"), QMessageBox::ActionRole) : nullptr;
    bringToFront(box);
    box.exec();
    if (copy && box.clickedButton() == copy)
        QGuiApplication::clipboard()->setText(*command);
}
