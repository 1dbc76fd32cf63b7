#include "ui/settings/ComponentsPane.h"

#include "core/Deps.h"
#include "ui/drawing/SymbolImages.h"
#include "ui/settings/PaneParts.h"

#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>
#include <optional>

namespace {

struct Component
{
    const char* name;
    const char* description;
    std::function<std::optional<QString>()> find;
    const char* install;
};

const QList<Component>& components()
{
    static const QList<Component> list = {
        {"ImageMagick", "WebP, AVIF, PSD, SVG", Deps::imageMagick, Deps::imageMagickInstall},
        {"Ghostscript", "Stronger PDF compression", Deps::ghostscript, Deps::ghostscriptInstall},
        {"LibreOffice", "Presentations, ODS and .doc files", Deps::libreOffice,
         Deps::libreOfficeInstall},
        {"JPEG XL", "JXL pictures", Deps::jpegXl, Deps::jpegXlInstall},
    };
    return list;
}

QWidget* status(const Component& component, QWidget* parent)
{
    if (component.find()) {
        auto* check = new QLabel(parent);
        check->setObjectName(QStringLiteral("installed"));
        check->setPixmap(QPixmap::fromImage(SymbolImages::tinted(
            QStringLiteral("checkmark.circle.fill"), 18, QColor(0x2e, 0xc2, 0x7e), 2.0)));
        return check;
    }
    auto* copy = new QPushButton(QStringLiteral("Copy Command"), parent);
    const QString command = QString::fromLatin1(component.install);
    QObject::connect(copy, &QPushButton::clicked, copy,
                     [command] { QGuiApplication::clipboard()->setText(command); });
    return copy;
}

} // namespace

ComponentsPane::ComponentsPane(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Extra tools"), this);
    m_rows = new QVBoxLayout(group);
    layout->addWidget(group);
    layout->addWidget(PaneParts::secondary(
        QStringLiteral("Audio, video, common images, PDF, documents, EPUB, CSV, "
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
    for (const Component& component : components()) {
        QWidget* row = PaneParts::row({}, QString::fromLatin1(component.name),
                                      QString::fromLatin1(component.description),
                                      status(component, group), group);
        row->setObjectName(QString::fromLatin1(component.name));
        m_rows->addWidget(row);
        // A layout shows new children of a visible widget only later, and
        // until then leaves them out of its size: the window would be fitted
        // to an empty box.
        row->show();
    }
}
