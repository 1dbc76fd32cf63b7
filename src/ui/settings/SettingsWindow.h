#pragma once

#include <QWidget>

class QActionGroup;
class QStackedWidget;

// The one settings window: four tabs in a toolbar over their panes, each
// pane bound directly to the settings (no Apply button). Closing it only
// hides it.
class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    enum Tab { welcome, general, keyboard, components };

    static SettingsWindow& shared();

    // Selects the tab and brings the window forward, centred when it
    // wasn't on screen.
    void show(Tab tab);
    Tab currentTab() const;
    QWidget* pane(Tab tab) const;

private:
    explicit SettingsWindow(QWidget* parent = nullptr);
    void select(Tab tab);

    QActionGroup* m_tabs;
    QStackedWidget* m_panes;
};
