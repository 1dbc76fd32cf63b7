#pragma once

#include "core/WheelMode.h"

#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <optional>

// Catches a drag in progress on wlroots compositors (sway, Hyprland,
// river), which never hand it to an X11 window that appears during the
// drag: flingdial-layer-catcher covers the output with a transparent layer
// surface and reports where the drag goes and where it drops. The wheel,
// drawn below it, follows the reports.
class LayerCatcher : public QObject
{
    Q_OBJECT

public:
    explicit LayerCatcher(QObject* parent = nullptr);
    ~LayerCatcher() override;

    // Whether the helper program is installed.
    static bool isAvailable();
    // Covers the output and waits for the drag, for the wheel of `mode`.
    void catchDrag(WheelMode::Mode mode);
    // After dropped(): whether the drop is taken (on a slice) or refused,
    // so that the source keeps its files.
    void answerDrop(bool take);
    void dismiss();

Q_SIGNALS:
    // The drag arrived with `files`, the pointer at `pointer`.
    void caught(WheelMode::Mode mode, const QStringList& files, QPoint pointer);
    void moved(QPoint pointer);
    // Answer with answerDrop().
    void dropped(QPoint pointer, const QStringList& files);
    void closed();

private:
    void readReports();
    void report(const QByteArray& line);
    void reportAt(const QByteArray& what, QPoint pointer);
    void finished();

    WheelMode::Mode m_mode = WheelMode::convert;
    QProcess m_helper;
    QByteArray m_pending;
    QStringList m_files;
    std::optional<QPoint> m_last;
    bool m_caught = false;
    QTimer m_patience;
};
