#include "ui/settings/ComponentsPane.h"

#include "core/Deps.h"
#include "ui/drawing/SymbolImages.h"
#include "ui/settings/PaneParts.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>
#include <optional>

namespace {

struct ComponentRow
{
    const char* name;
    QString description;
    std::function<std::optional<QString>()> find;
    QString install;
};

// OCR's row names the package of the desktop's language when it is missing.
ComponentRow ocr()
{
    QString description = ComponentsPane::tr("Text from scans");
    if (const auto package = Deps::missingOcrLanguage())
        description = ComponentsPane::tr("Text from scans. For %1: %2")
                          .arg(QLocale::system().nativeLanguageName(), *package);
    return {"OCR", description, [] { return Deps::ocrWithDesktopLanguage(); },
            Deps::ocrInstallCommand()};
}

QList<ComponentRow> components()
{
    return {
        {"ImageMagick", ComponentsPane::tr("WebP, AVIF, PSD, SVG"), Deps::imageMagick,
         Deps::imageMagickInstall},
        {"Ghostscript", ComponentsPane::tr("Stronger PDF compression"), Deps::ghostscript,
         Deps::ghostscriptInstall},
        {"LibreOffice", ComponentsPane::tr("Presentations, ODS and .doc files"), Deps::libreOffice,
         Deps::libreOfficeInstall},
        {"JPEG XL", ComponentsPane::tr("JXL pictures"), Deps::jpegXl, Deps::jpegXlInstall},
        ocr(),
    };
}

QWidget* status(const ComponentRow& component, QWidget* parent)
{
    if (component.find()) {
        auto* check = new QLabel(parent);
        check->setObjectName(QStringLiteral("installed"));
        check->setPixmap(QPixmap::fromImage(SymbolImages::tinted(
            QStringLiteral("checkmark.circle.fill"), 18, QColor(0x2e, 0xc2, 0x7e), 2.0)));
        return check;
    }
    auto* copy = new QPushButton(ComponentsPane::tr("Copy Command"), parent);
    const QString command = component.install;
    QObject::connect(copy, &QPushButton::clicked, copy,
                     [command] { QGuiApplication::clipboard()->setText(command); });
    return copy;
}

} // namespace

ComponentsPane::ComponentsPane(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(tr("Extra tools"), this);
    m_rows = new QVBoxLayout(group);
    layout->addWidget(group);
    layout->addWidget(
        PaneParts::secondary(tr("Audio, video, common images, PDF, documents, EPUB, CSV, "
                                "subtitles and archives work without installing anything."),
                             this));
    layout->addStretch();
    refresh();
}

void ComponentsPane::refresh()
{
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QWidget* group = m_rows->parentWidget();
    for (const ComponentRow& component : components()) {
        QWidget* row = PaneParts::row({}, QString::fromLatin1(component.name),
                                      component.description, status(component, group), group);
        row->setObjectName(QString::fromLatin1(component.name));
        m_rows->addWidget(row);
        // A layout shows new children of a visible widget only later, and
        // until then leaves them out of its size: the window would be fitted
        // to an empty box.
        row->show();
    }
}
