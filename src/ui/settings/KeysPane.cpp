#include "ui/settings/KeysPane.h"

#include "core/ModifierKey.h"
#include "core/Settings.h"
#include "core/WheelMode.h"
#include "platform/DesktopExtension.h"
#include "platform/GlobalHotKey.h"
#include "platform/GlobalShortcuts.h"
#include "platform/Platform.h"
#include "platform/Session.h"
#include "ui/settings/DesktopShortcutsBox.h"
#include "ui/settings/ExtensionStatus.h"
#include "ui/settings/KeyRecorder.h"
#include "ui/settings/PaneParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSet>
#include <QSignalBlocker>
#include <QVBoxLayout>

KeysPane::KeysPane(QWidget* parent) : QWidget(parent), m_hotKey(new QCheckBox(this))
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

    layout->addWidget(hotKeyBox());
    if (GlobalShortcuts* desktop = Platform::shared().globalShortcuts())
        layout->addWidget(new DesktopShortcutsBox(*desktop, this));
    if (DesktopExtension* extension = Platform::shared().desktopExtension())
        layout->addWidget(new ExtensionStatus(extension, ExtensionStatus::Look::pane, this));
    layout->addStretch();

    refresh();
    connect(&Settings::shared(), &Settings::changed, this, &KeysPane::refresh);
    if (GlobalShortcuts* desktop = Platform::shared().globalShortcuts())
        connect(desktop, &GlobalShortcuts::changed, this, &KeysPane::refresh);
}

QGroupBox* KeysPane::hotKeyBox()
{
    auto* box = new QGroupBox(tr("Shortcut"), this);
    auto* layout = new QVBoxLayout(box);
    auto* line = new QHBoxLayout;
    line->addWidget(m_hotKey, 1);
    layout->addLayout(line);
    connect(m_hotKey, &QCheckBox::toggled, this,
            [](bool on) { Settings::shared().set(SettingKeys::hotKey, on); });
    // Where the desktop keeps the program's shortcuts, they are changed there.
    if (!Platform::shared().globalShortcuts()) {
        auto* recorder = new KeyRecorder(box);
        recorder->setObjectName(QStringLiteral("changeHotKey"));
        line->addWidget(recorder);
        connect(recorder, &KeyRecorder::recorded, this, &KeysPane::hotKeyRecorded);
    }
    if (const QString compositor = bindingCompositor(); !compositor.isEmpty())
        layout->addWidget(PaneParts::symbolLine(
            QStringLiteral("apple.terminal"),
            tr("Here the compositor runs the keys: put the lines that “flingdial --bindings %1” "
               "prints into its configuration, and again after changing a key.")
                .arg(compositor),
            box));
    m_hotKeyProblem = PaneParts::symbolLine(QStringLiteral("exclamationmark.triangle.fill"),
                                            QString(), box, &m_hotKeyProblemText);
    m_hotKeyProblem->hide();
    layout->addWidget(m_hotKeyProblem);
    // Where the desktop's extension grabs the keys, only it can tell
    // whether another binding holds them, once they are saved.
    if (DesktopExtension* extension = Platform::shared().desktopExtension())
        connect(extension, &DesktopExtension::hotKeyGrabChanged, this,
                [this, extension] { showDesktopHoldsHotKey(*extension); });
    return box;
}

QString KeysPane::bindingCompositor()
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (Session::detect(environment) != Session::Kind::wlroots)
        return {};
    // `flingdial --bindings` knows these two; river and others take sway's lines as a model.
    const bool hyprland = environment.contains(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE")) ||
                          environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
                              .contains(QLatin1String("Hyprland"), Qt::CaseInsensitive);
    return hyprland ? QStringLiteral("hyprland") : QStringLiteral("sway");
}

void KeysPane::showDesktopHoldsHotKey(const DesktopExtension& extension)
{
    const KeyCombination keys = Settings::shared().hotKeyKeys();
    if (extension.isHotKeyHeldElsewhere(keys.accelerator())) {
        showHotKeyProblem(heldElsewhereText(keys));
        m_problemFromDesktop = true;
    } else if (m_problemFromDesktop) {
        showHotKeyProblem(QString());
    }
}

QString KeysPane::heldElsewhereText(const KeyCombination& keys)
{
    return tr("%1 is in use by another program. Choose another combination.").arg(keys.shownText());
}

void KeysPane::hotKeyRecorded(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const std::optional<KeyCombination> keys = KeyCombination::fromKey(qtKey, modifiers);
    if (!keys) {
        showHotKeyProblem(tr("That key can’t open the wheel. Use a letter, a digit, Space or a "
                             "function key, with Ctrl, Alt or Super."));
        return;
    }
    if (keys->getsInTheWayOfTyping()) {
        showHotKeyProblem(tr("Hold Ctrl, Alt or Super with %1: on its own it is needed for typing.")
                              .arg(keys->shownText()));
        return;
    }
    if (*keys != Settings::shared().hotKeyKeys() && isHeldElsewhere(*keys)) {
        showHotKeyProblem(heldElsewhereText(*keys));
        return;
    }
    showHotKeyProblem(QString());
    Settings::shared().set(SettingKeys::hotKeyKeys, keys->text());
}

bool KeysPane::isHeldElsewhere(const KeyCombination& keys)
{
    // A trial grab of its own, let go at once; the program's hot key keeps
    // its current keys until the new ones are saved.
    const std::unique_ptr<GlobalHotKey> trial = Platform::shared().createHotKey(nullptr, nullptr);
    if (!trial)
        return false;
    trial->setKeys(keys);
    trial->setEnabled(true);
    return trial->isHeldElsewhere();
}

void KeysPane::showHotKeyProblem(const QString& text)
{
    m_problemFromDesktop = false;
    m_hotKeyProblemText->setText(PaneParts::keepLastWordsTogether(text));
    m_hotKeyProblem->setVisible(!text.isEmpty());
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
    m_hotKey->setText(tr("%1 opens the wheel for copied files").arg(PaneParts::hotKeyText()));
}
