#include "ui/settings/SettingsWindow.h"

#include "ui/drawing/SymbolImages.h"
#include "ui/settings/ComponentsPane.h"
#include "ui/settings/GeneralPane.h"
#include "ui/settings/GuidePane.h"
#include "ui/settings/KeysPane.h"

#include <QActionGroup>
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QStackedWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int paneWidth = 500;

struct TabInfo
{
    const char* title;
    const char* symbol;
};

constexpr TabInfo tabInfo[] = {
    {QT_TRANSLATE_NOOP("SettingsWindow", "Welcome"), "hand.draw"},
    {QT_TRANSLATE_NOOP("SettingsWindow", "General"), "gearshape"},
    {QT_TRANSLATE_NOOP("SettingsWindow", "Keyboard"), "keyboard"},
    {QT_TRANSLATE_NOOP("SettingsWindow", "Components"), "puzzlepiece.extension"},
};

} // namespace

SettingsWindow& SettingsWindow::shared()
{
    static QPointer<SettingsWindow> window;
    if (!window)
        window = new SettingsWindow;
    return *window;
}

SettingsWindow::SettingsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_tabs(new QActionGroup(this)), m_panes(new QStackedWidget(this))
{
    setWindowTitle(QStringLiteral("Flingdial"));
    auto* toolbar = new QToolBar(this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setIconSize(QSize(24, 24));
    const QColor text = palette().color(QPalette::WindowText);
    for (int index = 0; index < 4; ++index) {
        const TabInfo& info = tabInfo[index];
        QAction* action = toolbar->addAction(QPixmap::fromImage(SymbolImages::tinted(
                                                 QString::fromLatin1(info.symbol), 24, text, 2.0)),
                                             tr(info.title));
        action->setCheckable(true);
        action->setData(index);
        m_tabs->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] { select(Tab(index)); });
    }
    m_panes->addWidget(new GuidePane);
    m_panes->addWidget(new GeneralPane);
    m_panes->addWidget(new KeysPane);
    m_panes->addWidget(new ComponentsPane);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_panes);
    select(welcome);
}

void SettingsWindow::select(Tab tab)
{
    m_tabs->actions().at(tab)->setChecked(true);
    m_panes->setCurrentIndex(tab);
    QWidget* current = m_panes->currentWidget();
    // Components are looked up again each time their pane is shown.
    if (auto* componentsPane = qobject_cast<ComponentsPane*>(current))
        componentsPane->refresh();
    setWindowTitle(tr(tabInfo[tab].title));
    // The window takes the pane's preferred size, 500 wide; it can't be resized.
    const int paneHeight = current->layout() ? current->layout()->heightForWidth(paneWidth) : -1;
    current->setFixedSize(paneWidth, paneHeight > 0 ? paneHeight : current->sizeHint().height());
    m_panes->setFixedSize(current->size());
    layout()->activate();
    setFixedSize(sizeHint());
}

void SettingsWindow::show(Tab tab)
{
    select(tab);
    if (!isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        QWidget::show();
    }
    raise();
    activateWindow();
}

SettingsWindow::Tab SettingsWindow::currentTab() const
{
    return Tab(m_panes->currentIndex());
}

QWidget* SettingsWindow::pane(Tab tab) const
{
    return m_panes->widget(tab);
}
