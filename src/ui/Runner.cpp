#include "ui/Runner.h"

#include "base/Errors.h"
#include "core/Log.h"
#include "core/NameReservations.h"
#include "core/Settings.h"
#include "platform/FileManager.h"
#include "platform/Notifier.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QThreadPool>

namespace {

// More wait in line, shown as running at 0 %.
constexpr int maxRunningAtOnce = 32;

// Runs `perform` and hands back its results or what it threw.
struct Outcome
{
    QStringList results;
    std::exception_ptr failure;
};

Outcome attempt(const Operation& operation, const QStringList& files, Job* job = nullptr)
{
    Outcome outcome;
    const Job::Scope watched(job);
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

Runner::Runner(QObject* parent) : QObject(parent)
{
    // Each operation waits on its own child programs: one thread each.
    m_pool.setMaxThreadCount(maxRunningAtOnce);
    // Progress is read a few times a second rather than on every report, so
    // a chatty child program costs the menu nothing.
    m_progressTimer.setInterval(250);
    connect(&m_progressTimer, &QTimer::timeout, this, &Runner::noticeProgress);
}

void Runner::execute(const Operation& operation, const QStringList& files)
{
    if (files.isEmpty())
        return;
    if (operation.missing) {
        showSetupHelp(*operation.missing);
        return;
    }
    if (operation.execution == Operation::Execution::immediate) {
        const Outcome outcome = attempt(operation, files);
        if (outcome.failure)
            report(outcome.failure);
        return;
    }
    const int id = m_nextId++;
    auto job = std::make_shared<Job>();
    m_work.emplace(id, Work{operation, files, job});
    ++m_active;
    Q_EMIT busyChanged(true);
    noticeProgress();
    m_progressTimer.start();
    m_pool.start([this, id, operation, files, job] {
        const Outcome outcome = attempt(operation, files, job.get());
        QMetaObject::invokeMethod(this, [this, id, operation, files, outcome, job] {
            m_work.erase(id);
            --m_active;
            if (m_work.empty())
                m_progressTimer.stop();
            Q_EMIT busyChanged(m_active > 0);
            noticeProgress();
            if (job->isCancelled())
                return;
            if (outcome.failure)
                report(outcome.failure);
            else
                finish(operation, files, outcome.results);
        });
    });
}

QList<Runner::Running> Runner::running() const
{
    QList<Running> list;
    for (const auto& [id, work] : m_work) {
        if (work.job->isCancelled())
            continue;
        list.append({id, progressLine(work.operation, work.files, work.job->state())});
    }
    return list;
}

void Runner::cancel(int id)
{
    const auto found = m_work.find(id);
    if (found == m_work.end())
        return;
    qCInfo(lcApp, "%s cancelled", qUtf8Printable(found->second.operation.title));
    found->second.job->cancel();
    noticeProgress();
}

void Runner::cancelAll()
{
    for (const auto& [id, work] : m_work) {
        if (!work.job->isCancelled()) {
            qCInfo(lcApp, "%s cancelled", qUtf8Printable(work.operation.title));
            work.job->cancel();
        }
    }
    noticeProgress();
}

void Runner::noticeProgress()
{
    const QList<Running> now = running();
    const bool same = std::equal(now.begin(), now.end(), m_lastShown.begin(), m_lastShown.end(),
                                 [](const Running& a, const Running& b) {
                                     return a.id == b.id && a.description == b.description;
                                 });
    if (same)
        return;
    m_lastShown = now;
    Q_EMIT runningChanged();
}

QString Runner::progressLine(const Operation& operation, const QStringList& files,
                             const Job::State& state)
{
    const QString what = files.size() == 1 ? QFileInfo(files.first()).fileName()
                                           : tr("%n files", nullptr, int(files.size()));
    QString title = operation.title;
    if (title.endsWith(QChar(0x2026)))
        title.chop(1);
    QString line = operation.isConversion ? tr("Converting %1 to %2").arg(what, title)
                                          : tr("%1: %2", "operation: files").arg(title, what);
    // Ghostscript, LibreOffice and the like tell nothing of their pace: such
    // work shows as running, without a number.
    const QString percent =
        state.fraction ? tr("%1 %", "percent done").arg(int(*state.fraction * 100)) : QString();
    if (state.fileCount > 1) {
        line += tr(" — %1 of %2", "file index").arg(state.fileIndex + 1).arg(state.fileCount);
        if (!percent.isEmpty())
            line += QStringLiteral(", ") + percent;
    } else if (!percent.isEmpty()) {
        line += QStringLiteral(" — ") + percent;
    }
    return line;
}

QString Runner::notificationTitle(const Operation& operation)
{
    if (operation.isConversion)
        return tr("Converted to %1").arg(operation.title);
    QString title = operation.title;
    if (title.endsWith(QChar(0x2026)))
        title.chop(1);
    return title;
}

QString Runner::notificationBody(const QStringList& results, const QString& summary)
{
    const QString what = results.size() == 1 ? QFileInfo(results.first()).fileName()
                                             : tr("%n files", nullptr, int(results.size()));
    const QString after = summary.isEmpty() ? QString() : QLatin1Char('\n') + summary;
    if (results.isEmpty())
        return tr("Saved %1").arg(what) + after;
    // Where the results went, the home folder written as ~.
    QString folder = QFileInfo(results.first()).absolutePath();
    const QString home = QDir::homePath();
    if (folder == home || folder.startsWith(home + QLatin1Char('/')))
        folder = QLatin1Char('~') + folder.mid(home.size());
    return tr("Saved %1 in %2").arg(what, folder) + after;
}

void Runner::finish(const Operation& operation, const QStringList& files,
                    const QStringList& results)
{
    qCInfo(lcApp, "%s done: %s", qUtf8Printable(operation.title),
           qUtf8Printable(results.join(QStringLiteral(", "))));
    const QString summary = operation.summary ? operation.summary(files, results) : QString();
    const Settings& settings = Settings::shared();
    Platform& platform = Platform::shared();
    if (settings.get(SettingKeys::sound))
        platform.playCompletionSound();
    if (settings.get(SettingKeys::revealAfter) && !results.isEmpty() && platform.fileManager())
        platform.fileManager()->reveal(results);
    Notifier* notifier = platform.notifier();
    if (settings.get(SettingKeys::notify) && notifier && notifier->isAvailable())
        notifier->post(notificationTitle(operation), notificationBody(results, summary), results);
}

void Runner::report(const std::exception_ptr& failure)
{
    if (isCancel(failure))
        return;
    // The log keeps a failing tool's own words; the alert shows the sentence
    // and keeps the words behind its disclosure.
    qCCritical(lcApp, "failed: %s", qUtf8Printable(describe(failure)));
    const Description described = describeApart(failure);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Flingdial"),
                    tr("The operation couldn’t be completed"), QMessageBox::Ok);
    box.setInformativeText(described.sentence);
    if (!described.details.isEmpty())
        box.setDetailedText(described.details);
    bringToFront(box);
    box.exec();
}

void Runner::showSetupHelp(const Component& missing)
{
    qCInfo(lcApp, "%s is missing", qUtf8Printable(missing.name));
    QMessageBox box(QMessageBox::Information, QStringLiteral("Flingdial"),
                    tr("An extra component is needed"));
    box.setInformativeText(missing.text());
    // Escape closes it like OK.
    box.setEscapeButton(box.addButton(tr("OK"), QMessageBox::AcceptRole));
    QPushButton* copy = !missing.installCommand.isEmpty()
                            ? box.addButton(tr("Copy Command"), QMessageBox::ActionRole)
                            : nullptr;
    bringToFront(box);
    box.exec();
    if (copy && box.clickedButton() == copy)
        QGuiApplication::clipboard()->setText(missing.installCommand);
}
