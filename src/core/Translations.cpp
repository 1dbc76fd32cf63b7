#include "core/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace Translations {

namespace {

// Loads `name` ("flingdial", "qtbase") for `locale` from the first folder
// that has it; the translator belongs to the application object.
void load(const QLocale& locale, const QString& name, const QStringList& where)
{
    for (const QString& folder : where) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(locale, name, QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            translator.release()->setParent(QCoreApplication::instance());
            return;
        }
    }
}

} // namespace

QStringList folders()
{
    const QString here =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    return {here + QStringLiteral("/translations"), here + QStringLiteral("/../translations"),
            here + QStringLiteral("/../" FLINGDIAL_DATADIR "/flingdial/translations"),
            QStringLiteral(FLINGDIAL_TRANSLATIONS_INSTALL_DIR)};
}

void install()
{
    const QLocale locale = QLocale::system();
    load(locale, QStringLiteral("flingdial"), folders());
    load(locale, QStringLiteral("qtbase"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
}

} // namespace Translations
