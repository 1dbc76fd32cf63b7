#include "platform/kde/ShortcutKeys.h"

#include <QStringList>
#include <utility>

namespace ShortcutKeys {

namespace {

constexpr int sequenceLength = 4;

// Keys named as xkbcommon names their key symbols; letters and digits are
// their own names.
QString keySymbolName(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(u'a' + (key - Qt::Key_A)));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return QString(QChar(u'0' + (key - Qt::Key_0)));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    static const std::pair<Qt::Key, const char*> named[] = {
        {Qt::Key_Space, "space"},         {Qt::Key_Return, "Return"},
        {Qt::Key_Enter, "KP_Enter"},      {Qt::Key_Tab, "Tab"},
        {Qt::Key_Escape, "Escape"},       {Qt::Key_Backspace, "BackSpace"},
        {Qt::Key_Delete, "Delete"},       {Qt::Key_Insert, "Insert"},
        {Qt::Key_Home, "Home"},           {Qt::Key_End, "End"},
        {Qt::Key_PageUp, "Page_Up"},      {Qt::Key_PageDown, "Page_Down"},
        {Qt::Key_Left, "Left"},           {Qt::Key_Up, "Up"},
        {Qt::Key_Right, "Right"},         {Qt::Key_Down, "Down"},
        {Qt::Key_Print, "Print"},         {Qt::Key_Comma, "comma"},
        {Qt::Key_Period, "period"},       {Qt::Key_Slash, "slash"},
        {Qt::Key_Minus, "minus"},         {Qt::Key_Equal, "equal"},
        {Qt::Key_Semicolon, "semicolon"},
    };
    for (const auto& [qtKey, name] : named)
        if (qtKey == key)
            return QLatin1String(name);
    return {};
}

} // namespace

QList<QKeySequence> fromCombined(const QList<int>& keys)
{
    QList<QKeySequence> sequences;
    for (const int key : keys)
        if (key != 0)
            sequences.append(QKeySequence(QKeyCombination::fromCombined(key)));
    return sequences;
}

QList<int> toCombined(const QList<QKeySequence>& keys)
{
    QList<int> combined;
    for (const QKeySequence& sequence : keys)
        if (!sequence.isEmpty())
            combined.append(sequence[0].toCombined());
    return combined;
}

QKeySequence fromParts(const QList<int>& parts)
{
    QKeyCombination keys[sequenceLength] = {};
    int count = 0;
    for (const int part : parts)
        if (part != 0 && count < sequenceLength)
            keys[count++] = QKeyCombination::fromCombined(part);
    return QKeySequence(keys[0], keys[1], keys[2], keys[3]);
}

QList<int> toParts(const QKeySequence& keys)
{
    QList<int> parts;
    for (int i = 0; i < sequenceLength; ++i)
        parts.append(i < keys.count() ? keys[uint(i)].toCombined() : 0);
    return parts;
}

QString portalTrigger(const QKeySequence& keys)
{
    if (keys.count() != 1)
        return {};
    const QKeyCombination combination = keys[0];
    const QString name = keySymbolName(combination.key());
    if (name.isEmpty())
        return {};
    static const std::pair<Qt::KeyboardModifier, const char*> modifiers[] = {
        {Qt::ControlModifier, "CTRL"}, {Qt::AltModifier, "ALT"},    {Qt::ShiftModifier, "SHIFT"},
        {Qt::MetaModifier, "LOGO"},    {Qt::KeypadModifier, "NUM"},
    };
    QStringList words;
    for (const auto& [modifier, word] : modifiers)
        if (combination.keyboardModifiers() & modifier)
            words.append(QLatin1String(word));
    words.append(name);
    return words.join(u'+');
}

QString text(const QList<QKeySequence>& keys)
{
    QStringList texts;
    for (const QKeySequence& sequence : keys)
        if (!sequence.isEmpty())
            texts.append(sequence.toString(QKeySequence::NativeText));
    return texts.join(QStringLiteral(", "));
}

} // namespace ShortcutKeys
