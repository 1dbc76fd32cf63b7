#pragma once

#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

class WheelPanel;

// Decides where and how the wheel opens, what it shows and what happens
// when it goes away. It owns the panel, made on first use and reused.
class WheelController : public QObject
{
    Q_OBJECT

public:
    static WheelController& shared();

    void show(WheelMode::Mode mode, const QStringList& files, bool keyboard);
    // The drag wheel centred on `pointer` (in a Wayland session the pointer
    // is known only from the drag).
    void showAt(WheelMode::Mode mode, const QStringList& files, QPoint pointer);
    // Hides the wheel and reports the operation for `files`, or for the
    // wheel's own files when none are given.
    void choose(const Operation& operation, const QStringList& files = {});
    void hide();
    void dragEnded();
    void showNextMode();

    bool isVisible() const;
    WheelMode::Mode mode() const { return m_mode; }
    const QStringList& files() const { return m_files; }
    WheelPanel* panel();

Q_SIGNALS:
    // The user picked an operation; the application runs it.
    void chosen(const Operation& operation, const QStringList& files);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WheelController(QObject* parent);
    void open(WheelMode::Mode mode, const QStringList& files, bool keyboard, QPoint pointer);
    void nudgePointer();

    QPointer<WheelPanel> m_panel;
    QStringList m_files;
    WheelMode::Mode m_mode = WheelMode::convert;
    bool m_keyboard = false;
};
