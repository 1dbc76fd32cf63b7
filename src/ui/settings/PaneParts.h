#pragma once

#include <QString>

class QLabel;
class QWidget;

// Building blocks shared by the settings panes.
namespace PaneParts {

// `text` with its last two words joined by a no-break space, so that a
// wrapping label never leaves one word alone on its last line.
QString keepLastWordsTogether(const QString& text);
// Text in the secondary style, wrapping.
QLabel* secondary(const QString& text, QWidget* parent);
// A symbol followed by a line of text, wrapping; `label`, when given, gets
// the text's label, for text that changes.
QWidget* symbolLine(const QString& symbol, const QString& text, QWidget* parent,
                    QLabel** label = nullptr);
// The hot key as it is now, as the user reads it: the desktop's where it
// keeps the program's shortcuts (KDE Plasma), else the one chosen in the
// Keys pane.
QString hotKeyText();
// A symbol, a name with a caption below it, and `trailing` on the right.
QWidget* row(const QString& symbol, const QString& name, const QString& caption, QWidget* trailing,
             QWidget* parent);

} // namespace PaneParts
