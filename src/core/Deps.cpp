#include "core/Deps.h"

#include "base/Translate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Deps {

FLINGDIAL_TR_CONTEXT(Deps)

namespace {

QStringList libreOfficeFolders()
{
    QStringList folders = {QStringLiteral("/usr/lib/libreoffice/program")};
    const QDir opt(QStringLiteral("/opt"));
    const QStringList installs = opt.entryList({QStringLiteral("libreoffice*")},
                                               QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& install : installs)
        folders.append(opt.filePath(install) + QStringLiteral("/program"));
    return folders;
}

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

QStringList searchDirectories(const QStringList& extra)
{
    const QByteArray override = qgetenv("FLINGDIAL_TOOL_DIRS");
    if (!override.isNull())
        return QString::fromLocal8Bit(override).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return QStringList{QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"),
                       QStringLiteral("/bin")} +
           extra;
}

std::optional<QString> find(const QString& name, const QStringList& extra)
{
    for (const QString& folder : searchDirectories(extra)) {
        const QString path = folder + QLatin1Char('/') + name;
        if (isExecutableFile(path))
            return path;
    }
    return std::nullopt;
}

bool hasApp(const QString& name)
{
    // Pages, Numbers and Keynote exist only on macOS.
    Q_UNUSED(name);
    return false;
}

std::optional<QString> bundledFFmpeg()
{
    if (!QCoreApplication::instance() || !qEnvironmentVariableIsEmpty("FLINGDIAL_TOOL_DIRS"))
        return std::nullopt;
    const QString path =
        QDir::cleanPath(QCoreApplication::applicationDirPath() +
                        QStringLiteral("/../" FLINGDIAL_LIBEXECDIR "/flingdial/ffmpeg"));
    if (isExecutableFile(path))
        return path;
    return std::nullopt;
}

std::optional<QString> ffmpeg()
{
    if (auto bundled = bundledFFmpeg())
        return bundled;
    return find(QStringLiteral("ffmpeg"));
}

std::optional<QString> imageMagick()
{
    if (auto magick = find(QStringLiteral("magick")))
        return magick;
    return find(QStringLiteral("convert-im6.q16"));
}

QString vipsModules()
{
    const QByteArray override = qgetenv("FLINGDIAL_VIPS_MODULES_DIR");
    if (!override.isNull())
        return QString::fromLocal8Bit(override);
    const QDir libraries(QStringLiteral(FLINGDIAL_VIPS_LIBDIR));
    const QStringList modules = libraries.entryList({QStringLiteral("vips-modules-*")}, QDir::Dirs,
                                                    QDir::Name | QDir::Reversed);
    return modules.isEmpty() ? QString() : libraries.filePath(modules.first());
}

std::optional<QString> jpegXl()
{
    const QDir modules(vipsModules());
    const QString module = modules.filePath(QStringLiteral("vips-jxl.so"));
    // The module and, in the library folder above it, the library it loads.
    QDir libraries = modules;
    const bool hasLibraries =
        libraries.cdUp() &&
        !libraries.entryList({QStringLiteral("libjxl.so*")}, QDir::Files).isEmpty();
    if (QFileInfo(module).isFile() && hasLibraries)
        return module;
    return std::nullopt;
}

std::optional<QString> ghostscript()
{
    return find(QStringLiteral("gs"));
}

std::optional<QString> libreOffice()
{
    return find(QStringLiteral("soffice"), libreOfficeFolders());
}

QString ffmpegMissingReason()
{
    // On Linux ffmpeg is a system package like the other components.
    return QStringLiteral("FFmpeg is missing.\nInstall it with:  sudo apt install ffmpeg");
}

std::optional<QString> ffmpegReason()
{
    if (ffmpeg())
        return std::nullopt;
    return ffmpegMissingReason();
}

QString imageMagickRequired()
{
    return QStringLiteral("ImageMagick is required.\nInstall it with:  ") +
           QLatin1String(imageMagickInstall);
}

std::optional<QString> jpegXlReason()
{
    if (jpegXl())
        return std::nullopt;
    return tr("JPEG XL needs libvips’ JPEG XL module.\nInstall it with:  ") +
           QLatin1String(jpegXlInstall);
}

QString libreOfficeNeeded()
{
    return QStringLiteral("This needs LibreOffice.\nInstall it with:  ") +
           QLatin1String(libreOfficeInstall);
}

QString odsNeedsLibreOffice()
{
    return QStringLiteral("ODS files need LibreOffice:  ") + QLatin1String(libreOfficeInstall);
}

std::optional<QString> installCommand(const QString& reason)
{
    const QString last = reason.split(QStringLiteral("  ")).constLast();
    if (last.startsWith(QLatin1String("sudo apt ")))
        return last;
    return std::nullopt;
}

} // namespace Deps
