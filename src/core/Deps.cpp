#include "core/Deps.h"

#include "base/Translate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Deps {
FLINGDIAL_TR_CONTEXT(Deps)

namespace {

// The languages Debian packages for tesseract (tesseract-ocr-<code>).
const QStringList& packagedOcrLanguages()
{
    static const QStringList codes =
        QStringLiteral(
            "afr amh ara asm aze aze_cyrl bel ben bod bos bre bul cat ceb ces chi_sim chi_tra chr "
            "cos cym dan deu div dzo ell eng enm epo est eus fao fas fil fin fra frk frm fry gla "
            "gle glg grc guj hat heb hin hrv hun hye iku ind isl ita ita_old jav jpn kan kat "
            "kat_old kaz khm kir kmr kor lao lat lav lit ltz mal mar mkd mlt mon mri msa mya nep "
            "nld nor oci ori pan pol por pus que ron rus san sin slk slv snd spa spa_old sqi srp "
            "srp_latn sun swa swe syr tam tat tel tgk tha tir ton tur uig ukr urd uzb uzb_cyrl "
            "vie yid yor")
            .split(QLatin1Char(' '));
    return codes;
}

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

// The install command follows the sentence after two spaces, outside the
// translated text, where installCommand() finds it.
QString withInstall(const QString& sentence, const char* command)
{
    return sentence + QStringLiteral("  ") + QLatin1String(command);
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

std::optional<QString> ghostscript()
{
    return find(QStringLiteral("gs"));
}

std::optional<QString> libreOffice()
{
    return find(QStringLiteral("soffice"), libreOfficeFolders());
}

std::optional<QString> tesseract()
{
    return find(QStringLiteral("tesseract"));
}

std::optional<QString> tessdataFolder()
{
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty())
        return QFileInfo(prefix).isDir() ? std::optional(prefix) : std::nullopt;
    for (const char* folder :
         {"/usr/share/tesseract-ocr/5/tessdata", "/usr/share/tesseract-ocr/4.00/tessdata",
          "/usr/share/tessdata", "/usr/local/share/tessdata"}) {
        if (QFileInfo(QLatin1String(folder)).isDir())
            return QString::fromLatin1(folder);
    }
    return std::nullopt;
}

QStringList ocrLanguages()
{
    const auto folder = tessdataFolder();
    if (!folder)
        return {};
    QStringList languages;
    const QStringList files = QDir(*folder).entryList({QStringLiteral("*.traineddata")},
                                                      QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& file : files) {
        const QString language = file.chopped(int(qstrlen(".traineddata")));
        if (language != QLatin1String("osd") && language != QLatin1String("equ"))
            languages.append(language);
    }
    return languages;
}

std::optional<QString> ocrLanguageOf(const QLocale& locale)
{
    QString code;
    switch (locale.language()) {
    case QLocale::Chinese: {
        const bool traditional = locale.script() == QLocale::TraditionalHanScript ||
                                 locale.territory() == QLocale::Taiwan ||
                                 locale.territory() == QLocale::HongKong ||
                                 locale.territory() == QLocale::Macau;
        code = traditional ? QStringLiteral("chi_tra") : QStringLiteral("chi_sim");
        break;
    }
    case QLocale::NorwegianBokmal:
    case QLocale::NorwegianNynorsk:
        code = QStringLiteral("nor");
        break;
    default:
        code = QLocale::languageToCode(locale.language(),
                                       QLocale::ISO639Part2T | QLocale::ISO639Part3);
        // Some languages have packages per script.
        if (locale.script() == QLocale::CyrillicScript &&
            packagedOcrLanguages().contains(code + QStringLiteral("_cyrl")))
            code += QStringLiteral("_cyrl");
        else if (locale.script() == QLocale::LatinScript &&
                 packagedOcrLanguages().contains(code + QStringLiteral("_latn")))
            code += QStringLiteral("_latn");
    }
    if (!packagedOcrLanguages().contains(code))
        return std::nullopt;
    return code;
}

QString ocrLanguagePackage(const QString& language)
{
    return QStringLiteral("tesseract-ocr-") +
           QString(language).replace(QLatin1Char('_'), QLatin1Char('-'));
}

QString defaultOcrLanguages(const QLocale& locale)
{
    const QStringList installed = ocrLanguages();
    QStringList chosen;
    if (const auto desktop = ocrLanguageOf(locale); desktop && installed.contains(*desktop))
        chosen.append(*desktop);
    if (installed.contains(QStringLiteral("eng")) && !chosen.contains(QStringLiteral("eng")))
        chosen.append(QStringLiteral("eng"));
    return chosen.join(QLatin1Char('+'));
}

std::optional<QString> missingOcrLanguage(const QLocale& locale)
{
    const auto desktop = ocrLanguageOf(locale);
    if (!desktop || ocrLanguages().contains(*desktop))
        return std::nullopt;
    return ocrLanguagePackage(*desktop);
}

std::optional<QString> ocrWithDesktopLanguage(const QLocale& locale)
{
    if (missingOcrLanguage(locale) || defaultOcrLanguages(locale).isEmpty())
        return std::nullopt;
    return tesseract();
}

QString ocrInstallCommand(const QLocale& locale)
{
    QStringList packages;
    const bool withoutTesseract = !tesseract();
    if (withoutTesseract)
        packages.append(QStringLiteral("tesseract-ocr"));
    const auto language = missingOcrLanguage(locale);
    // English comes with tesseract.
    if (language && !(withoutTesseract && *language == ocrLanguagePackage(QStringLiteral("eng"))))
        packages.append(*language);
    else if (packages.isEmpty() && defaultOcrLanguages(locale).isEmpty())
        packages.append(ocrLanguagePackage(QStringLiteral("eng")));
    if (packages.isEmpty())
        packages.append(QStringLiteral("tesseract-ocr"));
    return QStringLiteral("sudo apt install ") + packages.join(QLatin1Char(' '));
}

std::optional<QString> ocrReason(const QLocale& locale)
{
    if (!tesseract())
        return tr("Text recognition needs Tesseract.\nInstall it with:  %1")
            .arg(ocrInstallCommand(locale));
    if (ocrLanguages().isEmpty())
        return tr("Text recognition needs a language for Tesseract.\nInstall one with:  %1")
            .arg(ocrInstallCommand(locale));
    return std::nullopt;
}

QString ffmpegMissingReason()
{
    // On Linux ffmpeg is a system package like the other components.
    return withInstall(tr("FFmpeg is missing.\nInstall it with:"), "sudo apt install ffmpeg");
}

std::optional<QString> ffmpegReason()
{
    if (ffmpeg())
        return std::nullopt;
    return ffmpegMissingReason();
}

QString imageMagickRequired()
{
    return withInstall(tr("ImageMagick is required.\nInstall it with:"), imageMagickInstall);
}

QString libreOfficeNeeded()
{
    return withInstall(tr("This needs LibreOffice.\nInstall it with:"), libreOfficeInstall);
}

QString odsNeedsLibreOffice()
{
    return withInstall(tr("ODS files need LibreOffice:"), libreOfficeInstall);
}

std::optional<QString> installCommand(const QString& reason)
{
    const QString last = reason.split(QStringLiteral("  ")).constLast();
    if (last.startsWith(QLatin1String("sudo apt ")))
        return last;
    return std::nullopt;
}

} // namespace Deps
