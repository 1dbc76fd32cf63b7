#pragma once

#include <QString>

class QLabel;
class QWidget;

// Building blocks shared by the settings panes.
namespace PaneParts {

// Text in the secondary style, wrapping.
QLabel* secondary(const QString& text, QWidget* parent);
// A symbol followed by a line of text.
QWidget* symbolLine(const QString& symbol, const QString& text, QWidget* parent);
// A symbol, a name with a caption below it, and `trailing` on the right.
QWidget* row(const QString& symbol, const QString& name, const QString& caption, QWidget* trailing,
             QWidget* parent);

} // namespace PaneParts
