#include "ui/drawing/SymbolImages.h"

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QPainter>
#include <QStandardPaths>

namespace SymbolImages {

namespace {

// The closest icon of the freedesktop naming scheme for each symbol, all
// present in the Adwaita theme (the fallback theme).
const QHash<QString, QString>& table()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("photo"), QStringLiteral("image-x-generic")},
        {QStringLiteral("photo.stack"), QStringLiteral("emblem-photos")},
        {QStringLiteral("film"), QStringLiteral("video-x-generic")},
        {QStringLiteral("waveform"), QStringLiteral("audio-x-generic")},
        {QStringLiteral("doc.richtext"), QStringLiteral("x-office-document")},
        {QStringLiteral("doc.text"), QStringLiteral("text-x-generic")},
        {QStringLiteral("doc.text.magnifyingglass"), QStringLiteral("edit-find")},
        {QStringLiteral("doc"), QStringLiteral("x-office-document")},
        {QStringLiteral("text.alignleft"), QStringLiteral("format-justify-left")},
        {QStringLiteral("number"), QStringLiteral("view-list-ordered")},
        {QStringLiteral("chevron.left.forwardslash.chevron.right"), QStringLiteral("web-browser")},
        {QStringLiteral("book.closed"), QStringLiteral("accessories-dictionary")},
        {QStringLiteral("tablecells"), QStringLiteral("x-office-spreadsheet")},
        {QStringLiteral("rectangle.on.rectangle.angled"), QStringLiteral("x-office-presentation")},
        {QStringLiteral("captions.bubble"), QStringLiteral("media-view-subtitles")},
        {QStringLiteral("doc.zipper"), QStringLiteral("package-x-generic")},
        {QStringLiteral("arrow.down.right.and.arrow.up.left"), QStringLiteral("view-restore")},
        {QStringLiteral("timeline.selection"), QStringLiteral("edit-cut")},
        {QStringLiteral("speaker.slash"), QStringLiteral("audio-volume-muted")},
        {QStringLiteral("rectangle.compress.vertical"), QStringLiteral("zoom-fit-best")},
        {QStringLiteral("rotate.right"), QStringLiteral("object-rotate-right")},
        {QStringLiteral("hare"), QStringLiteral("media-seek-forward")},
        {QStringLiteral("camera"), QStringLiteral("camera-photo")},
        {QStringLiteral("rectangle.stack.badge.plus"), QStringLiteral("list-add")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("multimedia-volume-control")},
        {QStringLiteral("backward"), QStringLiteral("media-seek-backward")},
        {QStringLiteral("circle.lefthalf.filled"), QStringLiteral("audio-speakers")},
        {QStringLiteral("square.resize.down"), QStringLiteral("zoom-out")},
        {QStringLiteral("ruler"), QStringLiteral("view-fullscreen")},
        {QStringLiteral("arrow.left.and.right.righttriangle.left.righttriangle.right"),
         QStringLiteral("object-flip-horizontal")},
        {QStringLiteral("crop"), QStringLiteral("edit-select")},
        {QStringLiteral("eye.slash"), QStringLiteral("view-conceal")},
        {QStringLiteral("location.slash"), QStringLiteral("location-services-disabled")},
        {QStringLiteral("gauge.with.dots.needle.33percent"), QStringLiteral("drive-harddisk")},
        {QStringLiteral("person.crop.rectangle"), QStringLiteral("avatar-default")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy")},
        {QStringLiteral("square.split.2x1"), QStringLiteral("view-dual")},
        {QStringLiteral("doc.badge.plus"), QStringLiteral("document-new")},
        {QStringLiteral("trash"), QStringLiteral("user-trash")},
        {QStringLiteral("clock.arrow.2.circlepath"), QStringLiteral("alarm")},
        {QStringLiteral("archivebox"), QStringLiteral("folder-open")},
        {QStringLiteral("airdrop"), QStringLiteral("send-to")},
        {QStringLiteral("tray"), QStringLiteral("view-pin")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("link"), QStringLiteral("insert-link")},
        {QStringLiteral("apple.terminal"), QStringLiteral("utilities-terminal")},
        {QStringLiteral("cursorarrow.click.2"), QStringLiteral("input-mouse")},
        {QStringLiteral("doc.badge.ellipsis"), QStringLiteral("document-open")},
        {QStringLiteral("questionmark.circle"), QStringLiteral("help-about")},
        {QStringLiteral("gearshape"), QStringLiteral("emblem-system")},
        {QStringLiteral("power"), QStringLiteral("system-shutdown")},
        {QStringLiteral("hand.draw"), QStringLiteral("face-smile")},
        {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("view-refresh")},
        {QStringLiteral("wrench.and.screwdriver"), QStringLiteral("applications-engineering")},
        {QStringLiteral("square.and.arrow.up"), QStringLiteral("send-to")},
        {QStringLiteral("lock"), QStringLiteral("changes-prevent")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("dialog-warning")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("window-close")},
        {QStringLiteral("keyboard"), QStringLiteral("input-keyboard")},
        {QStringLiteral("puzzlepiece.extension"), QStringLiteral("application-x-addon")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("emblem-ok")},
    };
    return names;
}

QIcon themeIcon(const QString& name, bool symbolic)
{
    // Icons are looked up in the desktop's theme, then in Adwaita.
    static const bool themed = [] {
        // Without a desktop platform theme (offscreen runs), Qt knows no
        // icon folders of its own.
        QStringList paths = QIcon::themeSearchPaths();
        const QStringList system =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                      QStandardPaths::LocateDirectory);
        for (const QString& path : system) {
            if (!paths.contains(path))
                paths.append(path);
        }
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::fallbackThemeName().isEmpty() ||
            QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(themed);
    if (!symbolic)
        return QIcon::fromTheme(name);
    QIcon icon = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
    return icon.isNull() ? QIcon::fromTheme(name) : icon;
}

QImage pixels(const QIcon& icon, int size, qreal ratio)
{
    if (icon.isNull())
        return {};
    QImage image = icon.pixmap(QSize(size, size), ratio).toImage();
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

QString iconName(const QString& symbol)
{
    return table().value(symbol);
}

QStringList knownSymbols()
{
    return table().keys();
}

QImage tinted(const QString& symbol, int size, const QColor& colour, qreal devicePixelRatio)
{
    const QString name = iconName(symbol);
    if (name.isEmpty())
        return {};
    QImage image = pixels(themeIcon(name, true), size, devicePixelRatio)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), image.deviceIndependentSize()), colour);
    return image;
}

QImage fileIcon(const QString& path, int size, qreal devicePixelRatio)
{
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(path);
    QIcon icon = themeIcon(type.iconName(), false);
    if (icon.isNull())
        icon = themeIcon(type.genericIconName(), false);
    if (icon.isNull())
        icon = themeIcon(QStringLiteral("text-x-generic"), false);
    return pixels(icon, size, devicePixelRatio);
}

QImage multipleDocuments(int size, qreal devicePixelRatio)
{
    return pixels(themeIcon(QStringLiteral("edit-copy"), false), size, devicePixelRatio);
}

QImage fileStack(const QStringList& files, int size, qreal devicePixelRatio)
{
    QImage stack(QSize(size, size) * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    stack.setDevicePixelRatio(devicePixelRatio);
    stack.fill(Qt::transparent);
    const int count = int(std::min<qsizetype>(3, files.size()));
    if (count == 0)
        return stack;
    const int each = qRound(size * 0.74);
    const qreal step = count > 1 ? qreal(size - each) / (count - 1) : 0;
    const qreal start = count > 1 ? 0 : (size - each) / 2.0;
    QPainter painter(&stack);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = count - 1; i >= 0; --i) {
        const QImage icon = fileIcon(files.at(i), each, devicePixelRatio);
        // Themes without large sizes hand back a small picture: scale it up.
        const QRectF box(start + step * i, size - each - start - step * i, each, each);
        painter.drawImage(box, icon);
    }
    return stack;
}

} // namespace SymbolImages
