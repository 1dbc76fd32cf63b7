#include "converters/MediaConverter.h"

#include "core/Errors.h"

namespace MediaConverter {

namespace {

QString notYet(const QString&)
{
    throw notAvailableYet(QStringLiteral("Audio and video work"));
}

QString notYetAll(const QStringList&)
{
    throw notAvailableYet(QStringLiteral("Audio and video work"));
}

} // namespace

const QStringList& videoTargets()
{
    static const QStringList targets = {
        QStringLiteral("mp4"), QStringLiteral("mov"), QStringLiteral("mkv"), QStringLiteral("webm"),
        QStringLiteral("avi"), QStringLiteral("wmv"), QStringLiteral("gif")};
    return targets;
}

const QStringList& audioTargets()
{
    static const QStringList targets = {QStringLiteral("mp3"),  QStringLiteral("m4a"),
                                        QStringLiteral("wav"),  QStringLiteral("flac"),
                                        QStringLiteral("ogg"),  QStringLiteral("opus"),
                                        QStringLiteral("aiff"), QStringLiteral("wma")};
    return targets;
}

const QStringList& gifVideoTargets()
{
    static const QStringList targets = {QStringLiteral("mp4"), QStringLiteral("webm")};
    return targets;
}

QList<Operation> videoTools()
{
    return {
        Operation::perFile(QStringLiteral("Compress"),
                           QStringLiteral("arrow.down.right.and.arrow.up.left"), notYet),
        Operation(QStringLiteral("Trim…"),
                  [](const QStringList&) -> QStringList {
                      throw notAvailableYet(QStringLiteral("Trim"));
                  })
            .withSymbol(QStringLiteral("timeline.selection")),
        Operation::perFile(QStringLiteral("Extract Audio"), QStringLiteral("waveform"), notYet),
        Operation::perFile(QStringLiteral("Mute"), QStringLiteral("speaker.slash"), notYet),
        Operation::perFile(QStringLiteral("720p"), QStringLiteral("rectangle.compress.vertical"),
                           notYet),
        Operation::perFile(QStringLiteral("Rotate"), QStringLiteral("rotate.right"), notYet),
        Operation::perFile(QStringLiteral("Speed 2×"), QStringLiteral("hare"), notYet),
        Operation::perFile(QStringLiteral("Frame"), QStringLiteral("camera"), notYet),
        Operation::allFiles(QStringLiteral("Merge"), QStringLiteral("rectangle.stack.badge.plus"),
                            notYetAll),
    };
}

QList<Operation> audioTools()
{
    return {
        Operation(QStringLiteral("Trim…"),
                  [](const QStringList&) -> QStringList {
                      throw notAvailableYet(QStringLiteral("Trim"));
                  })
            .withSymbol(QStringLiteral("timeline.selection")),
        Operation::perFile(QStringLiteral("Compress"),
                           QStringLiteral("arrow.down.right.and.arrow.up.left"), notYet),
        Operation::perFile(QStringLiteral("Normalize"), QStringLiteral("slider.horizontal.3"),
                           notYet),
        Operation::perFile(QStringLiteral("Reverse"), QStringLiteral("backward"), notYet),
        Operation::perFile(QStringLiteral("Mono"), QStringLiteral("circle.lefthalf.filled"),
                           notYet),
        Operation::allFiles(QStringLiteral("Merge"), QStringLiteral("rectangle.stack.badge.plus"),
                            notYetAll),
    };
}

QString convert(const QString& file, const QString& target)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + target.toUpper());
}

} // namespace MediaConverter
