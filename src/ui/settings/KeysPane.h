#pragma once

#include <QWidget>

class DesktopExtension;
class KeyCombination;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

// Which key opens which slice set while dragging, and the hot key.
class KeysPane : public QWidget
{
    Q_OBJECT

public:
    explicit KeysPane(QWidget* parent = nullptr);

private:
    void refresh();
    QGroupBox* hotKeyBox();
    // A combination the user pressed to become the hot key: saved, unless
    // it can't be one or another program holds it (then the pane says so).
    void hotKeyRecorded(int qtKey, Qt::KeyboardModifiers modifiers);
    static bool isHeldElsewhere(const KeyCombination& keys);
    static QString heldElsewhereText(const KeyCombination& keys);
    // In sessions where key bindings of the compositor trigger the program
    // (sway, Hyprland): the name `flingdial --bindings` takes; else empty.
    static QString bindingCompositor();
    // Says so when the desktop's extension found the hot key taken.
    void showDesktopHoldsHotKey(const DesktopExtension& extension);
    // Empty text hides the line.
    void showHotKeyProblem(const QString& text);

    QList<QComboBox*> m_pickers;
    QWidget* m_warning;
    QCheckBox* m_hotKey;
    QWidget* m_hotKeyProblem = nullptr;
    QLabel* m_hotKeyProblemText = nullptr;
    // The problem shown is the desktop's report, not the recorder's.
    bool m_problemFromDesktop = false;
};
