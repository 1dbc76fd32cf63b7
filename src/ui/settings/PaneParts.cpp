#include "ui/settings/PaneParts.h"

#include "core/Settings.h"
#include "platform/GlobalShortcuts.h"
#include "platform/Platform.h"
#include "ui/drawing/SymbolImages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace PaneParts {

namespace {

QLabel* symbol(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(
        SymbolImages::tinted(name, 18, parent->palette().color(QPalette::WindowText), 2.0)));
    label->setFixedWidth(24);
    return label;
}

} // namespace

QString keepLastWordsTogether(const QString& text)
{
    const qsizetype lastSpace = text.lastIndexOf(QLatin1Char(' '));
    if (lastSpace <= 0)
        return text;
    QString joined = text;
    joined[lastSpace] = QChar::Nbsp;
    return joined;
}

QLabel* secondary(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(keepLastWordsTogether(text), parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QWidget* symbolLine(const QString& symbolName, const QString& text, QWidget* parent,
                    QLabel** textLabel)
{
    auto* line = new QWidget(parent);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(symbol(symbolName, line));
    auto* label = new QLabel(keepLastWordsTogether(text), line);
    label->setWordWrap(true);
    layout->addWidget(label, 1);
    if (textLabel)
        *textLabel = label;
    return line;
}

QString hotKeyText()
{
    if (const GlobalShortcuts* desktop = Platform::shared().globalShortcuts())
        if (const QString keys = desktop->hotKeyInForce(); !keys.isEmpty())
            return keys;
    return Settings::shared().hotKeyKeys().shownText();
}

QWidget* row(const QString& symbolName, const QString& name, const QString& caption,
             QWidget* trailing, QWidget* parent)
{
    auto* line = new QWidget(parent);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!symbolName.isEmpty())
        layout->addWidget(symbol(symbolName, line));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(new QLabel(name, line));
    texts->addWidget(secondary(caption, line));
    layout->addLayout(texts, 1);
    if (trailing) {
        trailing->setParent(line);
        layout->addWidget(trailing, 0, Qt::AlignRight | Qt::AlignVCenter);
    }
    return line;
}

} // namespace PaneParts
