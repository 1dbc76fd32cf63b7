#pragma once

#include "core/Component.h"

#include <QLocale>
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
// Text recognition: tesseract, and the languages it reads.
std::optional<QString> tesseract();
// Where its language files are: TESSDATA_PREFIX, else where Debian puts them.
std::optional<QString> tessdataFolder();
// The languages installed for it ("deu", "eng", …), in name order;
// orientation and equation data are no language.
QStringList ocrLanguages();
// Tesseract's name for the language of a locale ("deu", "chi_tra"), when
// Debian packages one.
std::optional<QString> ocrLanguageOf(const QLocale& locale);
// The Debian package of a tesseract language: "tesseract-ocr-chi-tra".
QString ocrLanguagePackage(const QString& language);
// What to recognise by default: the desktop's language and English, the
// installed ones of them, joined for tesseract ("deu+eng"); empty when
// neither is installed.
QString defaultOcrLanguages(const QLocale& locale = QLocale::system());
// The package of the desktop's language, when it is not installed.
std::optional<QString> missingOcrLanguage(const QLocale& locale = QLocale::system());
// Tesseract, when it is there with the desktop's language.
std::optional<QString> ocrWithDesktopLanguage(const QLocale& locale = QLocale::system());
// "sudo apt install tesseract-ocr", with the desktop's language package
// when it is missing (alone when tesseract is there).
QString ocrInstallCommand(const QLocale& locale = QLocale::system());
// What text recognition lacks here, or nothing.
std::optional<Component> ocrReason(const QLocale& locale = QLocale::system());

// Install commands, and the missing components they install.
inline constexpr auto imageMagickInstall = "sudo apt install imagemagick";
inline constexpr auto ghostscriptInstall = "sudo apt install ghostscript";
inline constexpr auto libreOfficeInstall = "sudo apt install libreoffice";
inline constexpr auto jpegXlInstall = "sudo apt install libvips42 libjxl0.7";

Component ffmpegMissingReason();
// FFmpeg as missing, or nothing when it is found.
std::optional<Component> ffmpegReason();
Component imageMagickRequired();
// JPEG XL as missing, or nothing when it can be read and written.
std::optional<Component> jpegXlReason();
// LibreOffice, explained as "This needs LibreOffice."
Component libreOfficeNeeded();
Component odsNeedsLibreOffice();

} // namespace Deps
