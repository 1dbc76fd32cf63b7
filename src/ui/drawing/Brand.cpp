#include "ui/drawing/Brand.h"

#include "ui/drawing/RingGeometry.h"

#include <QPainterPath>
#include <QtMath>

namespace Brand {

namespace {

using RingGeometry::arc;
using RingGeometry::onCircle;

// Both icons are laid out with y pointing up, from the lower-left corner.
void flipToYUp(QPainter& painter, qreal side)
{
    painter.translate(0, side);
    painter.scale(1, -1);
}

// Segment k of the ring: centred on 90 − 60k degrees, with a straight gap
// of 2g to its neighbours at both radii.
QPainterPath segment(QPointF centre, qreal outer, qreal inner, qreal gap, int k)
{
    const qreal middle = 90.0 - 60.0 * k;
    const qreal outerInset = qRadiansToDegrees(gap / outer);
    const qreal innerInset = qRadiansToDegrees(gap / inner);
    QPainterPath path(onCircle(centre, outer, middle + 30 - outerInset));
    arc(path, centre, outer, middle + 30 - outerInset, middle - 30 + outerInset);
    arc(path, centre, inner, middle - 30 + innerInset, middle + 30 - innerInset);
    path.closeSubpath();
    return path;
}

void paintRing(QPainter& painter, QPointF centre, qreal outer, qreal gap, int lit,
               const QColor& litColour, const QColor& dimColour, qreal dotRadius)
{
    const qreal inner = outer * 0.52;
    painter.setPen(Qt::NoPen);
    for (int k = 0; k < 6; ++k)
        painter.fillPath(segment(centre, outer, inner, gap, k), k == lit ? litColour : dimColour);
    painter.setBrush(litColour);
    painter.drawEllipse(centre, dotRadius, dotRadius);
}

QColor withAlpha(QColor colour, qreal alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

// One pass of a box blur over the alpha of a premultiplied image, along rows.
void boxBlurRows(QImage& image, int radius)
{
    const int width = image.width();
    std::vector<int> sums(size_t(width) + 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        sums[0] = 0;
        for (int x = 0; x < width; ++x)
            sums[size_t(x) + 1] = sums[size_t(x)] + qAlpha(row[x]);
        for (int x = 0; x < width; ++x) {
            const int from = std::max(0, x - radius);
            const int to = std::min(width, x + radius + 1);
            const int alpha = (sums[size_t(to)] - sums[size_t(from)]) / (2 * radius + 1);
            row[x] = qRgba(0, 0, 0, alpha);
        }
    }
}

// Three box passes each way come close to a Gaussian blur.
QImage blurred(QImage image, int radius)
{
    const int pass = std::max(1, radius / 2);
    for (int i = 0; i < 3; ++i)
        boxBlurRows(image, pass);
    QImage turned = image.transformed(QTransform().rotate(90));
    for (int i = 0; i < 3; ++i)
        boxBlurRows(turned, pass);
    return turned.transformed(QTransform().rotate(-90));
}

// A soft drop shadow under `shape`, drawn at the device's resolution.
void paintShadow(QPainter& painter, const QPainterPath& shape, const QColor& colour, qreal blur,
                 QPointF offset)
{
    const QTransform device = painter.transform();
    const qreal scale = std::sqrt(std::abs(device.determinant()));
    const int radius = std::max(1, int(std::lround(blur * scale)));
    const QRect area = device.map(shape.translated(offset))
                           .boundingRect()
                           .toAlignedRect()
                           .adjusted(-2 * radius, -2 * radius, 2 * radius, 2 * radius);
    QImage mask(area.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter shadow(&mask);
        shadow.setRenderHint(QPainter::Antialiasing);
        shadow.setTransform(device * QTransform::fromTranslate(-area.x(), -area.y()));
        shadow.fillPath(shape.translated(offset), Qt::black);
    }
    QImage tinted = blurred(mask, radius);
    {
        QPainter tint(&tinted);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(tinted.rect(), colour);
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(area.topLeft(), tinted);
    painter.restore();
}

QImage render(int pixels, qreal side, const std::function<void(QPainter&)>& paint)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / side, pixels / side);
    paint(painter);
    return image;
}

} // namespace

QColor teal()
{
    return QColor::fromRgbF(0.05f, 0.74f, 0.70f);
}

QColor indigo()
{
    return QColor::fromRgbF(0.24f, 0.25f, 0.80f);
}

void paintAppIcon(QPainter& painter, qreal side)
{
    const qreal u = side / 1024.0;
    painter.save();
    flipToYUp(painter, side);
    QPainterPath body;
    body.addRoundedRect(QRectF(100 * u, 100 * u, 824 * u, 824 * u), 185 * u, 185 * u);

    paintShadow(painter, body, withAlpha(Qt::black, 0.3), 20 * u, QPointF(0, -10 * u));
    // Teal at the upper left, indigo at the lower right.
    QLinearGradient diagonal(QPointF(100 * u, 924 * u), QPointF(924 * u, 100 * u));
    diagonal.setColorAt(0, teal());
    diagonal.setColorAt(1, indigo());
    painter.fillPath(body, diagonal);
    QLinearGradient sheen(QPointF(0, 924 * u), QPointF(0, 100 * u));
    sheen.setColorAt(0, withAlpha(Qt::white, 0.22));
    sheen.setColorAt(1, withAlpha(Qt::white, 0));
    painter.fillPath(body, sheen);
    painter.strokePath(body, QPen(withAlpha(Qt::white, 0.25), 2 * u));

    const QPointF centre(512 * u, 512 * u);
    QPainterPath mark;
    for (int k = 0; k < 6; ++k)
        mark.addPath(segment(centre, 300 * u, 156 * u, 11 * u, k));
    mark.addEllipse(centre, 72 * u, 72 * u);
    paintShadow(painter, mark, QColor::fromRgbF(0.06f, 0.08f, 0.35f, 0.45f), 24 * u,
                QPointF(0, -10 * u));
    paintRing(painter, centre, 300 * u, 11 * u, 1, Qt::white, withAlpha(Qt::white, 0.36), 72 * u);
    painter.restore();
}

void paintMenuBar(QPainter& painter, int lit, const QColor& colour)
{
    painter.save();
    flipToYUp(painter, 18);
    paintRing(painter, QPointF(9, 9), 8, 0.65, lit, colour, withAlpha(colour, 0.38), 1.92);
    painter.restore();
}

void paintTray(QPainter& painter, int lit)
{
    // A light glyph inside a dark outline reads on light and dark panels
    // alike; the tray protocols don't say which one the mark sits on.
    painter.save();
    flipToYUp(painter, 18);
    const QPointF centre(9, 9);
    const qreal outer = 7.6;
    QPainterPath shapes;
    QPainterPath litShape;
    for (int k = 0; k < 6; ++k) {
        const QPainterPath path = segment(centre, outer, outer * 0.52, 0.7, k);
        (k == lit ? litShape : shapes).addPath(path);
    }
    QPainterPath dot;
    dot.addEllipse(centre, 1.85, 1.85);
    litShape.addPath(dot);
    QPainterPath all = shapes;
    all.addPath(litShape);
    const QColor outline(0x1a, 0x1a, 0x1a, 215);
    painter.strokePath(all, QPen(outline, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(all, outline);
    painter.fillPath(shapes, QColor(255, 255, 255, 120));
    painter.fillPath(litShape, Qt::white);
    painter.restore();
}

QImage appIcon(int pixels)
{
    return render(pixels, 1024, [](QPainter& painter) { paintAppIcon(painter, 1024); });
}

QImage menuBarImage(int lit, const QColor& colour, int pixels)
{
    return render(pixels, 18, [&](QPainter& painter) { paintMenuBar(painter, lit, colour); });
}

QImage trayImage(int lit, int pixels)
{
    return render(pixels, 18, [&](QPainter& painter) { paintTray(painter, lit); });
}

} // namespace Brand
