#pragma once

#include "base/Errors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <memory>

// What the fuzz targets share: the input as bytes, a file holding it for
// readers that take a path, and the GUI application that text layout needs.
namespace FuzzInput {

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Writes the input to one file per process in the temporary folder.
inline QString asFile(const uint8_t* data, size_t size, const QString& extension)
{
    static const QString path = QDir::temp().filePath(
        QStringLiteral("flingdial-fuzz-%1.").arg(QCoreApplication::applicationPid()) + extension);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

// A GUI application on the offscreen platform, made once.
inline void needsGui()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static const auto application = std::make_unique<QGuiApplication>(argc, argv);
}

// Runs `work`; the failures the program reports to users are expected.
template<typename Work> void expectingFailures(Work work)
{
    try {
        work();
    } catch (const Error&) {
    }
}

} // namespace FuzzInput
