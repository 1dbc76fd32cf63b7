#include "converters/office/IWork.h"

namespace IWork {

QString newest(const QString& application)
{
    Q_UNUSED(application);
    return QString();
}

} // namespace IWork
