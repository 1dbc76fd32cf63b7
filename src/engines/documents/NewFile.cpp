#include "engines/documents/NewFile.h"

#include "base/Errors.h"
#include "base/Translate.h"

#include <QFile>
#include <QFileInfo>

namespace NewFile {

FLINGDIAL_TR_CONTEXT(NewFile)

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    const auto failure = [&] {
        return SystemError(tr("“%1” couldn’t be written: %2.")
                               .arg(QFileInfo(path).fileName(), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw failure();
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw failure();
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw failure();
}

} // namespace NewFile
