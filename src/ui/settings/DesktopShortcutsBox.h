#pragma once

#include <QGroupBox>

class GlobalShortcuts;
class QFormLayout;
class QLabel;

// The keys the desktop keeps for the program (KDE Plasma): each shortcut
// with its keys in force, where to change them, and what the trigger keys
// held during a drag need.
class DesktopShortcutsBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit DesktopShortcutsBox(GlobalShortcuts& shortcuts, QWidget* parent = nullptr);

private:
    void refresh();

    GlobalShortcuts& m_shortcuts;
    QFormLayout* m_keys;
    QLabel* m_where;
};
