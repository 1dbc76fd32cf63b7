#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// Keys as the desktop's shortcut services pass them.
namespace ShortcutKeys {

// kglobalaccel's first interface: one int per shortcut, each a single key
// with its modifiers (QKeyCombination::toCombined()); 0 stands for none.
QList<QKeySequence> fromCombined(const QList<int>& keys);
QList<int> toCombined(const QList<QKeySequence>& keys);

// kglobalaccel's second interface: a sequence as its four keys, unused
// places 0.
QKeySequence fromParts(const QList<int>& parts);
QList<int> toParts(const QKeySequence& keys);

// The GlobalShortcuts portal's form of a single key with modifiers
// ("CTRL+ALT+space"); empty for a sequence it can't name.
QString portalTrigger(const QKeySequence& keys);

// As the desktop shows them ("Ctrl+Alt+Space"), several joined by ", ".
QString text(const QList<QKeySequence>& keys);

} // namespace ShortcutKeys
