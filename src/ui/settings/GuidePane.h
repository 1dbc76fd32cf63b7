#pragma once

#include <QWidget>

class QLabel;

// The welcome guide: what the gesture is, which key opens which set, and
// what the hot key does.
class GuidePane : public QWidget
{
    Q_OBJECT

public:
    explicit GuidePane(QWidget* parent = nullptr);

private:
    void refresh();

    QList<QLabel*> m_keys;
    QWidget* m_hotKeyLine;
    QLabel* m_hotKeyText = nullptr;
};
