#include "ui/settings/GuidePane.h"

#include "core/ModifierKey.h"
#include "core/Settings.h"
#include "core/WheelMode.h"
#include "platform/GlobalShortcuts.h"
#include "platform/Platform.h"
#include "ui/drawing/Brand.h"
#include "ui/settings/ExtensionStatus.h"
#include "ui/settings/PaneParts.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

struct SetInfo
{
    const char* symbol;
    const char* caption;
};

const SetInfo setInfo[] = {
    {"arrow.triangle.2.circlepath",
     QT_TRANSLATE_NOOP("GuidePane", "Change format: PNG to JPG, MOV to MP4, DOCX to PDF…")},
    {"wrench.and.screwdriver",
     QT_TRANSLATE_NOOP("GuidePane", "Compress, resize, trim, split, merge…")},
    {"square.and.arrow.up",
     QT_TRANSLATE_NOOP("GuidePane", "Send to Device, Shelf, Copy, Move, Copy Path, Terminal")},
};

} // namespace

GuidePane::GuidePane(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);

    auto* header = new QGroupBox(this);
    auto* headerLayout = new QVBoxLayout(header);
    auto* icon = new QLabel(header);
    QImage image = Brand::appIcon(256);
    image.setDevicePixelRatio(2);
    icon->setPixmap(QPixmap::fromImage(image));
    icon->setAlignment(Qt::AlignCenter);
    headerLayout->addWidget(icon);
    auto* headline = new QLabel(tr("Drag, press a key, drop"), header);
    QFont big = headline->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    headline->setFont(big);
    headline->setAlignment(Qt::AlignCenter);
    headerLayout->addWidget(headline);
    auto* intro = PaneParts::secondary(
        tr("Start dragging a file and, while holding the mouse button, press a key. A wheel "
           "appears under the pointer: drop the file on the option you want."),
        header);
    intro->setAlignment(Qt::AlignCenter);
    headerLayout->addWidget(intro);
    layout->addWidget(header);

    auto* sets = new QGroupBox(this);
    auto* setsLayout = new QVBoxLayout(sets);
    for (const WheelMode::Mode mode : WheelMode::all()) {
        const SetInfo& info = setInfo[int(mode)];
        auto* key = new QLabel(sets);
        key->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        key->setStyleSheet(QStringLiteral(
            "QLabel { background: palette(midlight); border-radius: 5px; padding: 2px 8px; }"));
        m_keys.append(key);
        setsLayout->addWidget(PaneParts::row(QString::fromLatin1(info.symbol),
                                             WheelMode::title(mode), tr(info.caption), key, sets));
    }
    layout->addWidget(sets);
    // Where the gesture needs the desktop's extension and it isn't on: the one step.
    if (DesktopExtension* extension = Platform::shared().desktopExtension())
        layout->addWidget(new ExtensionStatus(extension, ExtensionStatus::Look::guide, this));

    auto* notes = new QGroupBox(this);
    auto* notesLayout = new QVBoxLayout(notes);
    m_hotKeyLine =
        PaneParts::symbolLine(QStringLiteral("keyboard"), QString(), notes, &m_hotKeyText);
    notesLayout->addWidget(m_hotKeyLine);
    notesLayout->addWidget(PaneParts::symbolLine(
        QStringLiteral("lock"),
        tr("Everything happens on your computer: no file is ever uploaded."), notes));
    layout->addWidget(notes);
    layout->addStretch();

    refresh();
    connect(&Settings::shared(), &Settings::changed, this, &GuidePane::refresh);
    if (GlobalShortcuts* desktop = Platform::shared().globalShortcuts())
        connect(desktop, &GlobalShortcuts::changed, this, &GuidePane::refresh);
}

void GuidePane::refresh()
{
    for (const WheelMode::Mode mode : WheelMode::all()) {
        m_keys.at(int(mode))->setText(ModifierKey::label(Settings::shared().triggerKey(mode)));
    }
    m_hotKeyLine->setVisible(Settings::shared().get(SettingKeys::hotKey));
    m_hotKeyText->setText(PaneParts::keepLastWordsTogether(
        tr("Copy files in your file manager and press %1 to open the wheel from the keyboard.")
            .arg(PaneParts::hotKeyText())));
}
