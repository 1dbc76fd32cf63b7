#include "core/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QScopeGuard>
#include <QTranslator>
#include <memory>

namespace Translations {

namespace {

// The program's own translator, once installed.
QPointer<QTranslator> programTranslator;

// Loads `name` ("flingdial", "qtbase") for `locale` from the first folder
// that has it; the translator belongs to the application object.
QTranslator* load(const QLocale& locale, const QString& name, const QStringList& where)
{
    for (const QString& folder : where) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(locale, name, QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            translator->setParent(QCoreApplication::instance());
            return translator.release();
        }
    }
    return nullptr;
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
    programTranslator = load(locale, QStringLiteral("flingdial"), folders());
    load(locale, QStringLiteral("qtbase"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
}

void withoutTranslations(const std::function<void()>& work)
{
    QTranslator* const translator = programTranslator;
    if (!translator || !QCoreApplication::removeTranslator(translator)) {
        work();
        return;
    }
    // Put back however `work` ends (ahead of Qt's now, which doesn't
    // matter: no context is in both).
    const auto restore =
        qScopeGuard([translator] { QCoreApplication::installTranslator(translator); });
    work();
}

} // namespace Translations
