#include "core/KeyCombination.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <array>
#include <vector>

namespace {

struct Key
{
    int qt;         // Qt::Key
    QString text;   // as stored and shown
    quint32 keysym; // X11's and XKB's code for it
    QString keysymName;
    bool typing; // part of typing or moving around in text
};

std::vector<Key> makeKeys()
{
    std::vector<Key> keys;
    for (int i = 0; i < 26; ++i) {
        const QChar letter(u'A' + i);
        keys.push_back({Qt::Key_A + i, letter, quint32(u'a' + i), letter.toLower(), true});
    }
    for (int i = 0; i < 10; ++i) {
        const QChar digit(u'0' + i);
        keys.push_back({Qt::Key_0 + i, digit, quint32(u'0' + i), digit, true});
    }
    for (int i = 0; i < 24; ++i) {
        const QString name = QStringLiteral("F%1").arg(i + 1);
        keys.push_back({Qt::Key_F1 + i, name, quint32(0xffbe + i), name, false});
    }
    // Named keys: keyboards of other languages print their names differently.
    const std::array<Key, 29> named = {{
        {Qt::Key_Space, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Space")), 0x20,
         QStringLiteral("space"), true},
        {Qt::Key_Return, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Return")), 0xff0d,
         QStringLiteral("Return"), true},
        {Qt::Key_Tab, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Tab")), 0xff09,
         QStringLiteral("Tab"), true},
        {Qt::Key_Backspace, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Backspace")), 0xff08,
         QStringLiteral("BackSpace"), true},
        {Qt::Key_Insert, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Ins")), 0xff63,
         QStringLiteral("Insert"), true},
        {Qt::Key_Delete, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Del")), 0xffff,
         QStringLiteral("Delete"), true},
        {Qt::Key_Home, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Home")), 0xff50,
         QStringLiteral("Home"), true},
        {Qt::Key_End, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "End")), 0xff57,
         QStringLiteral("End"), true},
        {Qt::Key_PageUp, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "PgUp")), 0xff55,
         QStringLiteral("Page_Up"), true},
        {Qt::Key_PageDown, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "PgDown")), 0xff56,
         QStringLiteral("Page_Down"), true},
        {Qt::Key_Left, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Left")), 0xff51,
         QStringLiteral("Left"), true},
        {Qt::Key_Up, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Up")), 0xff52,
         QStringLiteral("Up"), true},
        {Qt::Key_Right, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Right")), 0xff53,
         QStringLiteral("Right"), true},
        {Qt::Key_Down, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Down")), 0xff54,
         QStringLiteral("Down"), true},
        {Qt::Key_Print, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Print")), 0xff61,
         QStringLiteral("Print"), false},
        {Qt::Key_Pause, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Pause")), 0xff13,
         QStringLiteral("Pause"), false},
        {Qt::Key_ScrollLock, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "ScrollLock")),
         0xff14, QStringLiteral("Scroll_Lock"), false},
        {Qt::Key_Minus, QStringLiteral("-"), 0x2d, QStringLiteral("minus"), true},
        {Qt::Key_Equal, QStringLiteral("="), 0x3d, QStringLiteral("equal"), true},
        {Qt::Key_BracketLeft, QStringLiteral("["), 0x5b, QStringLiteral("bracketleft"), true},
        {Qt::Key_BracketRight, QStringLiteral("]"), 0x5d, QStringLiteral("bracketright"), true},
        {Qt::Key_Semicolon, QStringLiteral(";"), 0x3b, QStringLiteral("semicolon"), true},
        {Qt::Key_Apostrophe, QStringLiteral("'"), 0x27, QStringLiteral("apostrophe"), true},
        {Qt::Key_QuoteLeft, QStringLiteral("`"), 0x60, QStringLiteral("grave"), true},
        {Qt::Key_Backslash, QStringLiteral("\\"), 0x5c, QStringLiteral("backslash"), true},
        {Qt::Key_Comma, QStringLiteral(","), 0x2c, QStringLiteral("comma"), true},
        {Qt::Key_Period, QStringLiteral("."), 0x2e, QStringLiteral("period"), true},
        {Qt::Key_Slash, QStringLiteral("/"), 0x2f, QStringLiteral("slash"), true},
        {Qt::Key_Menu, QLatin1String(QT_TRANSLATE_NOOP("KeyCombination", "Menu")), 0xff67,
         QStringLiteral("Menu"), true},
    }};
    keys.insert(keys.end(), named.begin(), named.end());
    return keys;
}

const std::vector<Key>& keys()
{
    static const std::vector<Key> table = makeKeys();
    return table;
}

struct Modifier
{
    ModifierKey::Key key;
    Qt::KeyboardModifier qt;
    const char* text;
    const char* accelerator;
};

// In the order they are written.
const Modifier modifierTable[] = {
    {ModifierKey::control, Qt::ControlModifier, QT_TRANSLATE_NOOP("KeyCombination", "Ctrl"),
     "<Control>"},
    {ModifierKey::alt, Qt::AltModifier, QT_TRANSLATE_NOOP("KeyCombination", "Alt"), "<Alt>"},
    {ModifierKey::shift, Qt::ShiftModifier, QT_TRANSLATE_NOOP("KeyCombination", "Shift"),
     "<Shift>"},
    // Qt calls Super "Meta" on Linux.
    {ModifierKey::super, Qt::MetaModifier, QT_TRANSLATE_NOOP("KeyCombination", "Super"), "<Super>"},
};

std::optional<ModifierKey::Key> modifierNamed(const QString& word)
{
    for (const Modifier& modifier : modifierTable)
        if (word.compare(QLatin1String(modifier.text), Qt::CaseInsensitive) == 0)
            return modifier.key;
    if (word.compare(QLatin1String("Meta"), Qt::CaseInsensitive) == 0)
        return ModifierKey::super;
    if (word.compare(QLatin1String("Control"), Qt::CaseInsensitive) == 0)
        return ModifierKey::control;
    return std::nullopt;
}

std::optional<int> keyNamed(const QString& word)
{
    for (size_t i = 0; i < keys().size(); ++i)
        if (keys()[i].text.compare(word, Qt::CaseInsensitive) == 0)
            return int(i);
    return std::nullopt;
}

} // namespace

std::optional<KeyCombination> KeyCombination::fromText(const QString& text)
{
    const QStringList words = text.trimmed().split(u'+');
    ModifierKey::Flags modifiers = 0;
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        const std::optional<ModifierKey::Key> modifier = modifierNamed(words.at(i).trimmed());
        if (!modifier)
            return std::nullopt;
        modifiers |= ModifierKey::flag(*modifier);
    }
    const std::optional<int> key = keyNamed(words.last().trimmed());
    if (!key)
        return std::nullopt;
    return KeyCombination(modifiers, *key);
}

std::optional<KeyCombination> KeyCombination::fromKey(int qtKey, Qt::KeyboardModifiers qtModifiers)
{
    for (size_t i = 0; i < keys().size(); ++i) {
        if (keys()[i].qt != qtKey)
            continue;
        ModifierKey::Flags modifiers = 0;
        for (const Modifier& modifier : modifierTable)
            if (qtModifiers.testFlag(modifier.qt))
                modifiers |= ModifierKey::flag(modifier.key);
        return KeyCombination(modifiers, int(i));
    }
    return std::nullopt;
}

QString KeyCombination::text() const
{
    QString text;
    for (const Modifier& modifier : modifierTable)
        if (m_modifiers & ModifierKey::flag(modifier.key))
            text += QLatin1String(modifier.text) + u'+';
    return text + keys()[m_key].text;
}

QString KeyCombination::shownText() const
{
    QString text;
    for (const Modifier& modifier : modifierTable)
        if (m_modifiers & ModifierKey::flag(modifier.key))
            text += tr(modifier.text) + u'+';
    return text + tr(keys()[m_key].text.toLatin1().constData());
}

QString KeyCombination::accelerator() const
{
    QString accelerator;
    for (const Modifier& modifier : modifierTable)
        if (m_modifiers & ModifierKey::flag(modifier.key))
            accelerator += QLatin1String(modifier.accelerator);
    return accelerator + keysymName();
}

quint32 KeyCombination::keysym() const
{
    return keys()[m_key].keysym;
}

QString KeyCombination::keysymName() const
{
    return keys()[m_key].keysymName;
}

int KeyCombination::qtKey() const
{
    return keys()[m_key].qt;
}

Qt::KeyboardModifiers KeyCombination::qtModifiers() const
{
    Qt::KeyboardModifiers qt;
    for (const Modifier& modifier : modifierTable)
        if (m_modifiers & ModifierKey::flag(modifier.key))
            qt |= modifier.qt;
    return qt;
}

bool KeyCombination::getsInTheWayOfTyping() const
{
    const ModifierKey::Flags commanding = ModifierKey::flag(ModifierKey::control) |
                                          ModifierKey::flag(ModifierKey::alt) |
                                          ModifierKey::flag(ModifierKey::super);
    return keys()[m_key].typing && !(m_modifiers & commanding);
}
