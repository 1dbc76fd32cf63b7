#include "base/Errors.h"

#include <QCoreApplication>
#include <QFileInfo>

const char* Error::what() const noexcept
{
    m_what = description().toUtf8();
    return m_what.constData();
}

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
