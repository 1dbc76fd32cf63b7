#pragma once

#include "core/Operation.h"
#include "core/WheelMode.h"

#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QWidget>
#include <optional>

// The ring of slices the user aims at: one slice per operation around a
// centre that shows what is being worked on. It draws itself in code, with
// y pointing up from the lower-left corner as its geometry is given, finds
// the slice under a point, takes file drops, clicks and keys, and reports
// what the user chose through its signals.
class WheelView : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal side = 372;
    static constexpr qreal innerRadius = 58;
    static constexpr qreal outerRadius = 194;

    explicit WheelView(QWidget* parent = nullptr);

    void configure(WheelMode::Mode mode, const QList<Operation>& slices, const QStringList& files);
    void setKeyboardMode(bool on) { m_keyboardMode = on; }
    // The entrance animation's scale about the centre.
    void setScale(qreal scale);

    const QList<Operation>& slices() const { return m_slices; }
    std::optional<int> highlighted() const { return m_highlighted; }

    // The slice under a point given with y up from the centre, or none.
    static std::optional<int> sliceAt(int count, QPointF fromCentre);
    // The label's font size and lines for a title among `count` slices.
    static qreal labelFontSize(const QString& title, int count, const QPaintDevice* device);
    static QStringList labelLines(const QString& title, int count, const QPaintDevice* device);

    // A drag that a catcher above the wheel receives in its place: the
    // slice under `global` lights up; a drop there chooses it.
    void dragMovedTo(QPoint global);
    // Whether a slice lay under `global` and took the files.
    bool dropAt(QPoint global, const QStringList& files);

    // Paints the whole wheel with `painter` (y down) into a side × side square.
    void paintWheel(QPainter& painter) const;

    // A drag over the wheel that another window of ours receives (the
    // catcher, kept above it): `point` in the wheel's coordinates. Answers
    // whether a drop there would go to a slice.
    bool dragOverFromAbove(QPointF point);
    // A drop there; answers whether a slice took it.
    bool dropFromAbove(QPointF point, const QStringList& files);

Q_SIGNALS:
    // Slice `index` was chosen with the wheel's own files.
    void chosen(int index);
    // Files were dropped on slice `index`.
    void dropped(int index, const QStringList& files);
    // The pointer or the arrow keys moved onto slice `index`.
    void sliceHighlighted(int index);
    void nextModeRequested();
    void hideRequested();
    // A drag came over the wheel, or left it.
    void dragEntered();
    void dragLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setHighlighted(std::optional<int> index);
    void moveHighlight(int delta);
    std::optional<int> sliceAtWidgetPoint(QPointF point) const;
    qreal distanceFromCentre(QPointF point) const;

    void paintRing(QPainter& painter) const;
    void paintHighlight(QPainter& painter, int index) const;
    void paintItem(QPainter& painter, int index) const;
    void paintCentre(QPainter& painter) const;

    // A slice title laid out: measuring and wrapping happen once per
    // configuration, not on every repaint of the highlight.
    struct Label
    {
        QFont font;
        QStringList lines;
    };
    static Label layOut(const QString& title, int count, const QPaintDevice* device);
    const Label& labelOf(int index) const;

    // Where a slice's texts go (y up): below the anchor its title, then the
    // "Needs install" note if any.
    struct ItemText
    {
        QPointF anchor;
        qreal width = 0;
        qreal titleHeight = 0;
        QFont noteFont;
        QStringList noteLines;
    };
    ItemText itemText(int index) const;
    // The area a slice's symbol and texts cover.
    QPainterPath textArea(int index) const;

    QList<Operation> m_slices;
    mutable QList<Label> m_labels;
    WheelMode::Mode m_mode = WheelMode::convert;
    QStringList m_files;
    std::optional<int> m_highlighted;
    bool m_keyboardMode = false;
    qreal m_scale = 1;
};
