#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;

// Which key opens which slice set while dragging, and the hot key.
class KeysPane : public QWidget
{
    Q_OBJECT

public:
    explicit KeysPane(QWidget* parent = nullptr);

private:
    void refresh();

    QList<QComboBox*> m_pickers;
    QWidget* m_warning;
    QCheckBox* m_hotKey;
};
