#pragma once

#include <QCoreApplication>
#include <QString>
#include <QThread>
#include <optional>

// Modal prompts for operations, callable from any thread: the prompt runs
// on the main thread while the caller waits.
namespace Ask {

// Runs `work` on the main thread and returns its value. On the main thread
// it runs at once (waiting for itself would never end).
template<typename Work> auto onMainForModal(Work work) -> decltype(work())
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return work();
    decltype(work()) result{};
    // Posted events are delivered inside modal loops too, so this also
    // works while another dialog is open.
    QMetaObject::invokeMethod(
        app, [&] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
}

// The entered text without spaces and tabs at both ends. Throws Cancelled
// when the user cancels or enters nothing.
QString text(const QString& title, const QString& message, const QString& placeholder,
             const QString& value = QString());

// The chosen folder. Throws Cancelled.
QString folder(const QString& message, const std::optional<QString>& startingAt = std::nullopt);

// Spaces and tabs removed at both ends; line breaks stay.
QString trimSpacesAndTabs(const QString& text);

} // namespace Ask
