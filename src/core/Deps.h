#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Finds the external programs that do the work, and says how to install
// the optional ones.
namespace Deps {

// The folders searched for a program, in order. FLINGDIAL_TOOL_DIRS (a
// colon-separated list) replaces the whole search, extra folders included,
// so tests can hide or stand in for installed programs.
QStringList searchDirectories(const QStringList& extra = {});

// The first executable file named `name` in the search directories.
std::optional<QString> find(const QString& name, const QStringList& extra = {});

// Whether an iWork application is installed. There is none on Linux.
bool hasApp(const QString& name);

// The ffmpeg in the program's own helper folder, when it is executable.
std::optional<QString> bundledFFmpeg();

// The ffmpeg to use: the bundled one, else the first on the search path.
std::optional<QString> ffmpeg();

// ImageMagick: `magick` (version 7), else `convert-im6.q16` (version 6).
std::optional<QString> imageMagick();

std::optional<QString> ghostscript();

// LibreOffice's soffice, also where it sits outside the search path.
std::optional<QString> libreOffice();

// The folder of libvips' optional format modules; FLINGDIAL_VIPS_MODULES_DIR
// replaces it, so tests can hide a module.
QString vipsModules();
// libvips' JPEG XL module, when it and the libjxl it needs are installed.
std::optional<QString> jpegXl();

// Install commands, and the texts that explain a missing component.
inline constexpr auto imageMagickInstall = "sudo apt install imagemagick";
inline constexpr auto ghostscriptInstall = "sudo apt install ghostscript";
inline constexpr auto libreOfficeInstall = "sudo apt install libreoffice";
inline constexpr auto jpegXlInstall = "sudo apt install libvips42 libjxl0.7";

QString ffmpegMissingReason();
// The missing-ffmpeg reason, or nothing when ffmpeg is found.
std::optional<QString> ffmpegReason();
QString imageMagickRequired();
// The missing-JPEG XL reason, or nothing when it can be read and written.
std::optional<QString> jpegXlReason();
// "This needs LibreOffice." with its install command.
QString libreOfficeNeeded();
QString odsNeedsLibreOffice();

// The install command at the end of a reason (after its last double
// space), when there is one.
std::optional<QString> installCommand(const QString& reason);

} // namespace Deps
