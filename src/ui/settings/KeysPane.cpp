#include "ui/settings/KeysPane.h"

#include "core/ModifierKey.h"
#include "core/Settings.h"
#include "core/WheelMode.h"
#include "platform/GlobalShortcuts.h"
#include "platform/Platform.h"
#include "ui/settings/DesktopShortcutsBox.h"
#include "ui/settings/ExtensionStatus.h"
#include "ui/settings/PaneParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSet>
#include <QSignalBlocker>
#include <QVBoxLayout>

KeysPane::KeysPane(QWidget* parent)
    : QWidget(parent),
      m_hotKey(new QCheckBox(tr("Ctrl+Alt+Space opens the wheel for copied files"), this))
{
    auto* layout = new QVBoxLayout(this);
    auto* dragging = new QGroupBox(tr("While dragging"), this);
    auto* form = new QFormLayout(dragging);
    for (const WheelMode::Mode mode : WheelMode::all()) {
        auto* picker = new QComboBox(dragging);
        for (const ModifierKey::Key key : ModifierKey::all())
            picker->addItem(ModifierKey::label(key), ModifierKey::rawValue(key));
        connect(picker, &QComboBox::activated, this, [picker, mode] {
            Settings::shared().set(SettingKeys::modifier(mode), picker->currentData().toString());
        });
        m_pickers.append(picker);
        form->addRow(WheelMode::title(mode), picker);
    }
    m_warning =
        PaneParts::symbolLine(QStringLiteral("exclamationmark.triangle.fill"),
                              tr("Two modes use the same key: the first one wins."), dragging);
    form->addRow(m_warning);
    layout->addWidget(dragging);

    auto* shortcut = new QGroupBox(tr("Shortcut"), this);
    (new QVBoxLayout(shortcut))->addWidget(m_hotKey);
    connect(m_hotKey, &QCheckBox::toggled, this,
            [](bool on) { Settings::shared().set(SettingKeys::hotKey, on); });
    layout->addWidget(shortcut);
    if (GlobalShortcuts* desktop = Platform::shared().globalShortcuts())
        layout->addWidget(new DesktopShortcutsBox(*desktop, this));
    if (DesktopExtension* extension = Platform::shared().desktopExtension())
        layout->addWidget(new ExtensionStatus(extension, ExtensionStatus::Look::pane, this));
    layout->addStretch();

    refresh();
    connect(&Settings::shared(), &Settings::changed, this, &KeysPane::refresh);
}

void KeysPane::refresh()
{
    QSet<QString> used;
    for (const WheelMode::Mode mode : WheelMode::all()) {
        const ModifierKey::Key key = Settings::shared().triggerKey(mode);
        used.insert(ModifierKey::rawValue(key));
        QComboBox* picker = m_pickers.at(int(mode));
        const QSignalBlocker blocker(picker);
        picker->setCurrentIndex(picker->findData(ModifierKey::rawValue(key)));
    }
    m_warning->setVisible(used.size() < 3);
    const QSignalBlocker blocker(m_hotKey);
    m_hotKey->setChecked(Settings::shared().get(SettingKeys::hotKey));
}
