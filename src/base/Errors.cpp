#include "base/Errors.h"

#include <QCoreApplication>
#include <QFileInfo>

const char* Error::what() const noexcept
{
    m_what = description().toUtf8();
    return m_what.constData();
}

namespace {

// Whether the exception being handled is a Fail with a tool's words.
bool handlingToolWords()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return false;
    try {
        std::rethrow_exception(current);
    } catch (const Fail& failure) {
        return !failure.details().isEmpty();
    } catch (...) {
        return false;
    }
}

} // namespace

Fail::Fail(QString message) : m_message(std::move(message)), m_sentence(m_message)
{
    if (!handlingToolWords())
        return;
    const qsizetype lineBreak = m_message.indexOf(QLatin1Char('\n'));
    if (lineBreak < 0)
        return;
    m_sentence = m_message.left(lineBreak);
    m_details = m_message.mid(lineBreak + 1);
}

Fail::Fail(QString sentence, QString details)
    : m_message(details.isEmpty() ? sentence : sentence + QLatin1Char('\n') + details),
      m_sentence(std::move(sentence)), m_details(std::move(details))
{}

Fail Fail::cantRead(const QString& path)
{
    return Fail(
        QCoreApplication::translate("Errors", "Can’t read %1.").arg(QFileInfo(path).fileName()));
}

Fail Fail::cantSave(const QString& path)
{
    return Fail(
        QCoreApplication::translate("Errors", "Can’t save %1.").arg(QFileInfo(path).fileName()));
}

QString Cancelled::description() const
{
    return QCoreApplication::translate("Errors", "The operation was cancelled.");
}

QString describe(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Error& error) {
        return error.description();
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("Errors", "There isn’t enough memory to finish.");
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QCoreApplication::translate("Errors", "An unknown error occurred.");
    }
}

Description describeApart(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Fail& failure) {
        return {failure.sentence(), failure.details()};
    } catch (...) {
        return {describe(failure), {}};
    }
}

bool isCancel(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Cancelled&) {
        return true;
    } catch (...) {
        return false;
    }
}
