#include "ui/settings/ExtensionStatus.h"

#include "ui/settings/PaneParts.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using State = DesktopExtension::State;

ExtensionStatus::ExtensionStatus(DesktopExtension* extension, Look look, QWidget* parent)
    : QGroupBox(extension->name(), parent), m_extension(extension), m_look(look),
      m_state(new QLabel(this)), m_explanation(PaneParts::secondary(QString(), this)),
      m_command(new QLabel(extension->enableCommand(), this)),
      m_enable(new QPushButton(tr("Turn On"), this)),
      m_copy(new QPushButton(tr("Copy Command"), this))
{
    auto* layout = new QVBoxLayout(this);
    QFont bold = m_state->font();
    bold.setBold(true);
    m_state->setFont(bold);
    layout->addWidget(m_state);
    layout->addWidget(m_explanation);
    m_command->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_command->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_command);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_copy);
    buttons->addWidget(m_enable);
    layout->addLayout(buttons);

    connect(m_enable, &QPushButton::clicked, this, &ExtensionStatus::turnOn);
    connect(m_copy, &QPushButton::clicked, this, [this] {
        if (m_extension)
            QGuiApplication::clipboard()->setText(m_extension->enableCommand());
    });
    connect(extension, &DesktopExtension::stateChanged, this, &ExtensionStatus::refresh);
    refresh();
}

void ExtensionStatus::showEvent(QShowEvent* event)
{
    QGroupBox::showEvent(event);
    // Turned on or off elsewhere meanwhile (the Extensions app).
    QTimer::singleShot(0, this, &ExtensionStatus::refresh);
}

void ExtensionStatus::turnOn()
{
    if (!m_extension)
        return;
    QString why;
    m_problem = m_extension->enable(&why) ? QString() : why;
    refresh();
}

void ExtensionStatus::refresh()
{
    if (!m_extension)
        return;
    const State state = m_extension->state();
    const QString manager = m_extension->manager();
    QString word;
    QString explanation;
    switch (state) {
    case State::on:
        word = tr("On");
        explanation = tr("It tells Flingdial when you press a trigger key while dragging, and "
                         "passes the hot key on.");
        break;
    case State::off:
        word = tr("Off");
        explanation = tr("GNOME lets only its own extensions see the keys you press while "
                         "dragging. Turn it on once, here, with this command or in %1:")
                          .arg(manager);
        break;
    case State::newLogin:
        word = tr("Installed, not yet found");
        explanation = tr("GNOME Shell finds new extensions when you log in. Log out and back "
                         "in, then turn it on with this command or in %1:")
                          .arg(manager);
        break;
    case State::missing:
        word = tr("Not installed");
        explanation = tr("Install Flingdial from its package (or with make install), log out "
                         "and back in, then turn it on with this command:");
        break;
    case State::failed: {
        const QString failure = m_extension->failure();
        word = tr("Failed to start");
        explanation = failure.isEmpty()
                          ? tr("GNOME Shell couldn’t start it. %1 may say more.").arg(manager)
                          : tr("GNOME Shell couldn’t start it: %1").arg(failure);
        break;
    }
    case State::outdated:
        word = tr("Made for older GNOME versions");
        explanation = tr("This GNOME Shell is newer than the versions it knows: a newer "
                         "Flingdial brings an extension for it.");
        break;
    case State::unknown:
        word = tr("Unknown");
        explanation = tr("GNOME Shell doesn’t answer: look in %1.").arg(manager);
        break;
    }
    if (!m_problem.isEmpty() && state != State::on)
        explanation = m_problem;
    m_state->setText(word);
    m_explanation->setText(PaneParts::keepLastWordsTogether(explanation));
    const bool steps = state == State::off || state == State::newLogin || state == State::missing;
    m_command->setVisible(steps);
    m_copy->setVisible(steps);
    m_enable->setVisible(state == State::off);
    if (m_look == Look::guide)
        setVisible(state != State::on && state != State::unknown);
}
