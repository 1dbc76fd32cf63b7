#include "ui/RenderCommands.h"

#include "base/Translate.h"

#include "ui/actions/SliceSets.h"
#include "ui/drawing/Brand.h"
#include "ui/wheel/WheelView.h"

#include <QDir>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <cstdio>

namespace RenderCommands {

FLINGDIAL_TR_CONTEXT(RenderCommands)

namespace {

constexpr int defaultSize = 1024;
constexpr int largestSize = 16384;
constexpr int pictureSide = 432;

int fail(const QString& message)
{
    std::fputs((tr("error: %1").arg(message) + QLatin1Char('\n')).toUtf8().constData(), stderr);
    return 1;
}

int pixelSize(const QStringList& arguments)
{
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    if (arguments.size() < 4 || !integer.match(arguments.at(3)).hasMatch())
        return defaultSize;
    bool ok = false;
    const int size = arguments.at(3).toInt(&ok);
    return ok ? size : -1;
}

int write(const QImage& image, const QString& path)
{
    QImageWriter writer(QDir::current().absoluteFilePath(path), "png");
    if (!writer.write(image))
        return fail(tr("Can’t write %1: %2").arg(path, writer.errorString()));
    return 0;
}

// A picture as scalable vector graphics, `units` square, drawn by `paint`.
template<typename Paint> int writeSvg(const QString& path, int units, Paint paint)
{
    QSvgGenerator svg;
    svg.setFileName(QDir::current().absoluteFilePath(path));
    svg.setSize(QSize(units, units));
    svg.setViewBox(QRect(0, 0, units, units));
    svg.setTitle(QStringLiteral("Flingdial"));
    QPainter painter;
    if (!painter.begin(&svg))
        return fail(tr("Can’t write %1.").arg(path));
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return painter.end() ? 0 : fail(tr("Can’t write %1.").arg(path));
}

QPalette appearance(bool dark)
{
    QPalette palette;
    palette.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
    palette.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    return palette;
}

QColor grey(qreal level, qreal alpha = 1)
{
    return QColor::fromRgbF(float(level), float(level), float(level), float(alpha));
}

} // namespace

int renderIcon(const QStringList& arguments)
{
    const int size = pixelSize(arguments);
    if (size < 1 || size > largestSize)
        return fail(tr("The size must be a number of pixels from 1 to %1.").arg(largestSize));
    const bool menuBar = arguments.at(1) == QLatin1String("--render-menubar");
    // The application icon is 1024 units square (its soft shadows stay
    // bitmaps inside it); the mark, in one colour, is 18: a desktop may
    // recolour it as a symbolic icon (the GNOME Shell extension's).
    if (arguments.at(2).endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        if (menuBar)
            return writeSvg(arguments.at(2), 18,
                            [](QPainter& painter) { Brand::paintMenuBar(painter, 1, Qt::black); });
        return writeSvg(arguments.at(2), defaultSize,
                        [](QPainter& painter) { Brand::paintAppIcon(painter, defaultSize); });
    }
    const QImage image = menuBar ? Brand::menuBarImage(1, Qt::black, size) : Brand::appIcon(size);
    return write(image, arguments.at(2));
}

QImage wheelPicture(WheelMode::Mode mode, bool dark, const QList<Operation>& items,
                    const QStringList& files)
{
    WheelView view;
    view.setPalette(appearance(dark));
    view.setKeyboardMode(true);
    view.configure(mode, items, files);

    QImage image(pictureSide, pictureSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(grey(dark ? 0.18 : 0.82));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(grey(dark ? 0.16 : 0.97, 0.96));
    painter.drawEllipse(QRectF(pictureSide / 2.0 - 170, pictureSide / 2.0 - 170, 340, 340));
    painter.translate(30, 30);
    view.paintWheel(painter);
    return image;
}

int snapshot(const QStringList& arguments)
{
    const WheelMode::Mode mode =
        WheelMode::fromRawValue(arguments.at(3)).value_or(WheelMode::convert);
    const bool dark = arguments.at(4) == QLatin1String("dark");
    QStringList files;
    for (const QString& path : arguments.mid(5))
        files.append(QDir::current().absoluteFilePath(path));
    return write(wheelPicture(mode, dark, SliceSets::of(mode, files), files), arguments.at(2));
}

} // namespace RenderCommands
