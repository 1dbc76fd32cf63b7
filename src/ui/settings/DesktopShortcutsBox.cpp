#include "ui/settings/DesktopShortcutsBox.h"

#include "platform/GlobalShortcuts.h"
#include "ui/settings/PaneParts.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

DesktopShortcutsBox::DesktopShortcutsBox(GlobalShortcuts& shortcuts, QWidget* parent)
    : QGroupBox(tr("Desktop shortcuts"), parent), m_shortcuts(shortcuts), m_keys(new QFormLayout),
      m_where(PaneParts::secondary(QString(), this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_keys);
    layout->addWidget(m_where);
    if (const QString note = shortcuts.modifierKeysNote(); !note.isEmpty())
        layout->addWidget(PaneParts::secondary(note, this));
    refresh();
    connect(&shortcuts, &GlobalShortcuts::changed, this, &DesktopShortcutsBox::refresh);
}

void DesktopShortcutsBox::refresh()
{
    while (m_keys->rowCount() > 0)
        m_keys->removeRow(0);
    const QList<GlobalShortcuts::Bound> bound = m_shortcuts.inForce();
    for (const GlobalShortcuts::Bound& shortcut : bound) {
        auto* keys = new QLabel(shortcut.keys.isEmpty() ? tr("None") : shortcut.keys, this);
        keys->setObjectName(shortcut.id);
        keys->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        m_keys->addRow(shortcut.description, keys);
    }
    m_where->setText(bound.isEmpty() ? tr("The desktop hasn’t taken the shortcuts yet.")
                                     : tr("Change them in %1.").arg(m_shortcuts.whereToChange()));
}
