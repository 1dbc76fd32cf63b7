#include "ui/wheel/WheelView.h"

#include "core/FileUrls.h"
#include "core/Log.h"
#include "ui/drawing/RingGeometry.h"
#include "ui/drawing/SymbolImages.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QtMath>

namespace {

constexpr qreal anchorRadius = 116;
constexpr qreal separatorFrom = 80;
constexpr qreal separatorTo = 148;
constexpr qreal highlightOuter = 160;
constexpr qreal highlightInner = 68;
constexpr qreal highlightInset = 2.148591731740587;
constexpr qreal labelBaseSize = 11;
constexpr qreal labelMinimumSize = 9;
constexpr qreal lineHeightMultiple = 0.95;
const QPointF centre(WheelView::side / 2, WheelView::side / 2);

// Sizes are in device-independent pixels, the unit of the wheel's geometry.
QFont systemFont(qreal size, QFont::Weight weight, const QPaintDevice* device)
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(size * 72.0 / (device ? device->logicalDpiY() : 96));
    font.setWeight(weight);
    return font;
}

QPointF onCircle(qreal radius, qreal degrees)
{
    return RingGeometry::onCircle(centre, radius, degrees);
}

void arc(QPainterPath& path, qreal radius, qreal from, qreal to)
{
    RingGeometry::arc(path, centre, radius, from, to);
}

qreal sliceAngle(int count)
{
    return 360.0 / std::max(count, 1);
}

qreal labelWidth(int count)
{
    return std::min(0.9 * 2 * M_PI * anchorRadius / std::max(count, 1), 100.0);
}

struct Colours
{
    QColor label, secondary, tertiary, separator, accent;
    QColor muted; // what needs installing: a step back, still readable as text
};

Colours coloursOf(const QPalette& palette)
{
    const QColor text = palette.color(QPalette::WindowText);
    const auto faded = [&](qreal alpha) {
        QColor colour = text;
        colour.setAlphaF(alpha);
        return colour;
    };
    return {text,      faded(0.55), faded(0.28), faded(0.12), palette.color(QPalette::Highlight),
            faded(0.7)};
}

// Runs `draw` with y pointing down inside `box`, given with y up, so that
// text and pictures stand upright in the wheel's y-up drawing.
template<typename Draw> void upright(QPainter& painter, const QRectF& box, Draw draw)
{
    painter.save();
    painter.translate(0, 2 * box.y() + box.height());
    painter.scale(1, -1);
    draw(box);
    painter.restore();
}

// Lays `text` out in lines of `width`, at most `maxLines`, the last one
// cut with an ellipsis when the text runs on.
QStringList wrapped(const QString& text, const QFont& font, qreal width, int maxLines)
{
    QTextLayout layout(text, font);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            const QString rest = text.mid(line.textStart()).trimmed();
            lines.append(QFontMetricsF(font).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

// Draws lines centred in a box whose top edge is at `top` (y up), and
// returns the box's height.
qreal drawLines(QPainter& painter, const QStringList& lines, const QFont& font,
                const QColor& colour, qreal centreX, qreal top, qreal width)
{
    const QFontMetricsF metrics(font);
    const qreal step = metrics.lineSpacing() * lineHeightMultiple;
    const qreal height = std::ceil(step * lines.size());
    upright(
        painter, QRectF(centreX - width / 2, top - height, width, height), [&](const QRectF& box) {
            painter.setFont(font);
            painter.setPen(colour);
            for (int i = 0; i < lines.size(); ++i)
                painter.drawText(QRectF(box.x(), box.y() + i * step, width, metrics.lineSpacing()),
                                 Qt::AlignHCenter | Qt::AlignTop, lines.at(i));
        });
    return height;
}

// The boxes of lines as drawLines() places them, each as wide as its text.
QPainterPath linesArea(const QStringList& lines, const QFont& font, qreal centreX, qreal top)
{
    const QFontMetricsF metrics(font);
    const qreal step = metrics.lineSpacing() * lineHeightMultiple;
    QPainterPath area;
    for (int i = 0; i < lines.size(); ++i) {
        const qreal width = metrics.horizontalAdvance(lines.at(i));
        area.addRect(QRectF(centreX - width / 2, top - (i + 1) * step, width, step));
    }
    return area;
}

void drawCentredText(QPainter& painter, const QString& text, const QFont& font,
                     const QColor& colour, QPointF middle, qreal width)
{
    const qreal height = 1.35 * QFontInfo(font).pixelSize();
    const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideMiddle, width);
    upright(painter, QRectF(middle.x() - width / 2, middle.y() - height / 2, width, height),
            [&](const QRectF& box) {
                painter.setFont(font);
                painter.setPen(colour);
                painter.drawText(box, Qt::AlignCenter, shown);
            });
}

void drawImage(QPainter& painter, const QImage& image, const QRectF& box)
{
    if (image.isNull())
        return;
    upright(painter, box, [&](const QRectF& target) {
        const QSizeF natural = image.deviceIndependentSize();
        painter.drawImage(
            QRectF(target.center() - QPointF(natural.width(), natural.height()) / 2, natural),
            image);
    });
}

} // namespace

WheelView::WheelView(QWidget* parent) : QWidget(parent)
{
    setFixedSize(int(side), int(side));
    setAcceptDrops(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TranslucentBackground);
}

void WheelView::configure(WheelMode::Mode mode, const QList<Operation>& slices,
                          const QStringList& files)
{
    m_mode = mode;
    m_slices = slices;
    m_labels.clear();
    m_files = files;
    setHighlighted(m_keyboardMode && !slices.isEmpty() ? std::optional(0) : std::nullopt);
    update();
}

std::optional<int> WheelView::sliceAt(int count, QPointF fromCentre)
{
    if (count <= 0)
        return std::nullopt;
    const qreal distance = std::hypot(fromCentre.x(), fromCentre.y());
    if (!(distance > innerRadius && distance < outerRadius))
        return std::nullopt;
    const qreal slice = sliceAngle(count);
    const qreal angle = qRadiansToDegrees(std::atan2(fromCentre.y(), fromCentre.x()));
    qreal clockwise = std::fmod(-angle + 90 + slice / 2, 360.0);
    if (clockwise < 0)
        clockwise += 360;
    return std::min(int(std::floor(clockwise / slice)), count - 1);
}

qreal WheelView::labelFontSize(const QString& title, int count, const QPaintDevice* device)
{
    const QFontMetricsF metrics(systemFont(labelBaseSize, QFont::Medium, device));
    qreal widest = 0;
    for (const QString& word : title.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    const qreal room = labelWidth(count) - 4;
    if (widest <= room)
        return labelBaseSize;
    return std::max(std::floor(10 * labelBaseSize * room / widest) / 10, labelMinimumSize);
}

QStringList WheelView::labelLines(const QString& title, int count, const QPaintDevice* device)
{
    return layOut(title, count, device).lines;
}

WheelView::Label WheelView::layOut(const QString& title, int count, const QPaintDevice* device)
{
    const QFont font = systemFont(labelFontSize(title, count, device), QFont::Medium, device);
    return {font, wrapped(title, font, labelWidth(count), 2)};
}

const WheelView::Label& WheelView::labelOf(int index) const
{
    if (m_labels.size() != m_slices.size()) {
        m_labels.clear();
        for (const Operation& slice : m_slices)
            m_labels.append(layOut(slice.title, int(m_slices.size()), this));
    }
    return m_labels.at(index);
}

void WheelView::setHighlighted(std::optional<int> index)
{
    if (index == m_highlighted)
        return;
    m_highlighted = index;
    update();
    if (index)
        Q_EMIT sliceHighlighted(*index);
}

void WheelView::moveHighlight(int delta)
{
    const int count = int(m_slices.size());
    if (count == 0)
        return;
    const int current = m_highlighted.value_or(delta > 0 ? -1 : 0);
    setHighlighted((current + delta + count) % count);
}

qreal WheelView::distanceFromCentre(QPointF point) const
{
    return std::hypot(point.x() - centre.x(), (height() - point.y()) - centre.y());
}

std::optional<int> WheelView::sliceAtWidgetPoint(QPointF point) const
{
    // Widget points have y down; the wheel's geometry has y up.
    return sliceAt(int(m_slices.size()),
                   QPointF(point.x() - centre.x(), (height() - point.y()) - centre.y()));
}

void WheelView::setScale(qreal scale)
{
    if (qFuzzyCompare(scale, m_scale))
        return;
    m_scale = scale;
    update();
}

void WheelView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintWheel(painter);
}

void WheelView::paintWheel(QPainter& painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(centre);
    painter.scale(m_scale, m_scale);
    painter.translate(-centre);
    // One flip: from here on y points up, as the geometry is given.
    painter.translate(0, side);
    painter.scale(1, -1);
    paintRing(painter);
    if (m_highlighted && *m_highlighted < m_slices.size())
        paintHighlight(painter, *m_highlighted);
    for (int i = 0; i < m_slices.size(); ++i)
        paintItem(painter, i);
    paintCentre(painter);
    painter.restore();
}

void WheelView::paintRing(QPainter& painter) const
{
    const Colours colours = coloursOf(palette());
    painter.setPen(QPen(colours.separator, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 169.5, 169.5);
    const int count = int(m_slices.size());
    if (count < 2)
        return;
    // A divider stops short of any text that reaches it.
    QPainterPath clear;
    clear.addRect(QRectF(0, 0, side, side));
    QPainterPathStroker margin;
    margin.setWidth(8);
    for (int i = 0; i < count; ++i) {
        const QPainterPath text = textArea(i);
        clear = clear.subtracted(text.united(margin.createStroke(text)));
    }
    painter.save();
    painter.setClipPath(clear);
    const qreal slice = sliceAngle(count);
    for (int i = 0; i < count; ++i) {
        if (m_highlighted && (i == *m_highlighted || i == (*m_highlighted - 1 + count) % count))
            continue;
        const qreal angle = 90 - i * slice - slice / 2;
        painter.drawLine(onCircle(separatorFrom, angle), onCircle(separatorTo, angle));
    }
    painter.restore();
}

WheelView::ItemText WheelView::itemText(int index) const
{
    const int count = int(m_slices.size());
    ItemText text;
    text.anchor = onCircle(anchorRadius, 90 - index * sliceAngle(count));
    text.width = labelWidth(count);
    const Label& label = labelOf(index);
    text.titleHeight = std::ceil(QFontMetricsF(label.font).lineSpacing() * lineHeightMultiple *
                                 label.lines.size());
    if (m_slices.at(index).missing) {
        text.noteFont = systemFont(9, QFont::Normal, this);
        text.noteLines = wrapped(tr("Needs install"), text.noteFont, text.width, 2);
    }
    return text;
}

QPainterPath WheelView::textArea(int index) const
{
    const ItemText text = itemText(index);
    const qreal x = text.anchor.x();
    QPainterPath area =
        linesArea(labelOf(index).lines, labelOf(index).font, x, text.anchor.y() - 3);
    area.addPath(
        linesArea(text.noteLines, text.noteFont, x, text.anchor.y() - 4 - text.titleHeight));
    if (m_slices.at(index).symbol)
        area.addRect(QRectF(x - 11, text.anchor.y() + 6, 22, 20));
    return area;
}

void WheelView::paintHighlight(QPainter& painter, int index) const
{
    const QColor accent = coloursOf(palette()).accent;
    if (m_slices.size() == 1) {
        QPainterPath ring;
        ring.setFillRule(Qt::OddEvenFill);
        ring.addEllipse(centre, 163, 163);
        ring.addEllipse(centre, 65, 65);
        painter.fillPath(ring, accent);
        return;
    }
    const qreal slice = sliceAngle(int(m_slices.size()));
    const qreal middle = 90 - index * slice;
    const qreal from = middle + slice / 2 - highlightInset;
    const qreal to = middle - slice / 2 + highlightInset;
    QPainterPath path(onCircle(highlightOuter, from));
    arc(path, highlightOuter, from, to);
    arc(path, highlightInner, to, from);
    path.closeSubpath();
    painter.setPen(QPen(accent, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(accent);
    painter.drawPath(path);
}

void WheelView::paintItem(QPainter& painter, int index) const
{
    const Operation& item = m_slices.at(index);
    const Colours colours = coloursOf(palette());
    const bool lit = m_highlighted == index;
    const QColor text = lit ? QColor(Qt::white) : item.missing ? colours.muted : colours.label;
    const ItemText layout = itemText(index);
    const QPointF anchor = layout.anchor;

    if (item.symbol)
        drawImage(painter, SymbolImages::tinted(*item.symbol, 19, text, devicePixelRatioF()),
                  QRectF(anchor.x() - 14, anchor.y() + 2, 28, 28));

    const Label& label = labelOf(index);
    drawLines(painter, label.lines, label.font, text, anchor.x(), anchor.y() - 3, layout.width);
    if (!layout.noteLines.isEmpty()) {
        const QColor note = lit ? QColor(255, 255, 255, 204) : colours.muted;
        drawLines(painter, layout.noteLines, layout.noteFont, note, anchor.x(),
                  anchor.y() - 4 - layout.titleHeight, layout.width);
    }
}

void WheelView::paintCentre(QPainter& painter) const
{
    const Colours colours = coloursOf(palette());
    QColor disc = colours.label;
    disc.setAlphaF(m_highlighted ? 0.04 : 0.08);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(centre, innerRadius, innerRadius);

    if (!m_files.isEmpty()) {
        const QImage icon = m_files.size() == 1
                                ? SymbolImages::fileIcon(m_files.first(), 28, devicePixelRatioF())
                                : SymbolImages::multipleDocuments(28, devicePixelRatioF());
        drawImage(painter, icon, QRectF(centre.x() - 14, centre.y() + 9, 28, 28));
    }
    drawCentredText(painter, WheelMode::title(m_mode), systemFont(12, QFont::DemiBold, this),
                    colours.label, centre + QPointF(0, -3), 110);
    const QString name = m_files.size() == 1 ? QFileInfo(m_files.first()).fileName()
                                             : tr("%n items", nullptr, int(m_files.size()));
    drawCentredText(painter, name, systemFont(9.5, QFont::Normal, this), colours.secondary,
                    centre + QPointF(0, -18), 92.8);
    for (const WheelMode::Mode mode : WheelMode::all()) {
        painter.setBrush(mode == m_mode ? colours.label : colours.tertiary);
        painter.drawEllipse(centre + QPointF(9 * (int(mode) - 1), -33.5), 2.5, 2.5);
    }
    if (m_slices.isEmpty())
        drawCentredText(painter, tr("No options for these files"),
                        systemFont(11, QFont::Normal, this), colours.secondary,
                        centre + QPointF(0, 111), 200);
}

void WheelView::mouseMoveEvent(QMouseEvent* event)
{
    setHighlighted(sliceAtWidgetPoint(event->position()));
}

void WheelView::leaveEvent(QEvent*)
{
    if (!m_keyboardMode)
        setHighlighted(std::nullopt);
}

void WheelView::mousePressEvent(QMouseEvent* event)
{
    if (const auto index = sliceAtWidgetPoint(event->position()))
        Q_EMIT chosen(*index);
    else if (distanceFromCentre(event->position()) <= innerRadius)
        Q_EMIT nextModeRequested();
    else
        Q_EMIT hideRequested();
}

void WheelView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_highlighted && *m_highlighted < m_slices.size())
            Q_EMIT chosen(*m_highlighted);
        return;
    case Qt::Key_Tab:
        Q_EMIT nextModeRequested();
        return;
    case Qt::Key_Escape:
        Q_EMIT hideRequested();
        return;
    case Qt::Key_Right:
    case Qt::Key_Down:
        moveHighlight(+1);
        return;
    case Qt::Key_Left:
    case Qt::Key_Up:
        moveHighlight(-1);
        return;
    default:
        break;
    }
    bool isNumber = false;
    const int number = event->text().toInt(&isNumber);
    if (isNumber && number >= 1 && number <= m_slices.size()) {
        Q_EMIT chosen(number - 1);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool WheelView::focusNextPrevChild(bool)
{
    // Tab switches the mode instead of moving the focus.
    return false;
}

void WheelView::dragMovedTo(QPoint global)
{
    setHighlighted(sliceAtWidgetPoint(mapFromGlobal(global)));
}

bool WheelView::dropAt(QPoint global, const QStringList& files)
{
    const auto index = sliceAtWidgetPoint(mapFromGlobal(global));
    qCInfo(lcApp, "drop at slice %d", index.value_or(-1));
    if (!index || files.isEmpty())
        return false;
    QMetaObject::invokeMethod(
        this, [this, index, files] { Q_EMIT dropped(*index, files); }, Qt::QueuedConnection);
    return true;
}

void WheelView::dragEnterEvent(QDragEnterEvent* event)
{
    qCInfo(lcApp, "drag entered wheel");
    Q_EMIT dragEntered();
    dragMoveEvent(event);
    // Accepted whatever is under the pointer, or the moves that follow
    // never arrive; each move then says whether a drop would be taken.
    event->accept();
}

void WheelView::dragMoveEvent(QDragMoveEvent* event)
{
    setHighlighted(sliceAtWidgetPoint(event->position()));
    // Always a copy: sources that were asked for a move would delete the originals.
    event->setDropAction(Qt::CopyAction);
    if (m_highlighted)
        event->accept();
    else
        event->ignore();
}

void WheelView::dragLeaveEvent(QDragLeaveEvent*)
{
    setHighlighted(std::nullopt);
    Q_EMIT dragLeft();
}

void WheelView::dropEvent(QDropEvent* event)
{
    if (!dropFromAbove(event->position(), FileUrls::fromMimeData(event->mimeData()))) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

bool WheelView::dragOverFromAbove(QPointF point)
{
    setHighlighted(sliceAtWidgetPoint(point));
    return m_highlighted.has_value();
}

bool WheelView::dropFromAbove(QPointF point, const QStringList& files)
{
    const auto index = sliceAtWidgetPoint(point);
    qCInfo(lcApp, "drop at slice %d", index.value_or(-1));
    if (!index)
        return false;
    // After the drop has been answered, so that the source finishes first.
    QMetaObject::invokeMethod(
        this, [this, index, files] { Q_EMIT dropped(*index, files); }, Qt::QueuedConnection);
    return true;
}
