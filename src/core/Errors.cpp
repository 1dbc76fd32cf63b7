#include "core/Errors.h"

#include <QFileInfo>

const char* Error::what() const noexcept
{
    m_what = description().toUtf8();
    return m_what.constData();
}

Fail Fail::cantRead(const QString& path)
{
    return Fail(QStringLiteral("Can’t read %1.").arg(QFileInfo(path).fileName()));
}

Fail Fail::cantSave(const QString& path)
{
    return Fail(QStringLiteral("Can’t save %1.").arg(QFileInfo(path).fileName()));
}
