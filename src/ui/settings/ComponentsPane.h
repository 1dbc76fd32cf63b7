#pragma once

#include <QWidget>

class QVBoxLayout;

// Which optional programs are installed, and how to install the others.
// The checks run again each time the pane is shown.
class ComponentsPane : public QWidget
{
    Q_OBJECT

public:
    explicit ComponentsPane(QWidget* parent = nullptr);

    void refresh();

private:
    QVBoxLayout* m_rows;
};
