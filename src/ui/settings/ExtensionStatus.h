#pragma once

#include "platform/DesktopExtension.h"

#include <QGroupBox>
#include <QPointer>

class QLabel;
class QPushButton;

// The desktop's extension the gesture needs (GNOME Shell's): whether it is
// on, and the one step that turns it on. The guide shows it only while
// there is something to do; the Keyboard pane always.
class ExtensionStatus : public QGroupBox
{
    Q_OBJECT

public:
    enum class Look { guide, pane };

    ExtensionStatus(DesktopExtension* extension, Look look, QWidget* parent = nullptr);

    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void turnOn();

    QPointer<DesktopExtension> m_extension;
    Look m_look;
    QLabel* m_state;
    QLabel* m_explanation;
    QLabel* m_command;
    QPushButton* m_enable;
    QPushButton* m_copy;
    QString m_problem;
};
