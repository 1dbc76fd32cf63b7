#include "converters/ImageConverter.h"

#include "core/Deps.h"
#include "core/Errors.h"

namespace ImageConverter {

namespace {

QString notYet(const QString&)
{
    throw notAvailableYet(QStringLiteral("Image work"));
}

// Targets the built-in engine writes by itself.
bool builtInEngineWrites(const QString& target)
{
    static const QStringList formats = {QStringLiteral("jpg"),  QStringLiteral("png"),
                                        QStringLiteral("heic"), QStringLiteral("tiff"),
                                        QStringLiteral("bmp"),  QStringLiteral("gif"),
                                        QStringLiteral("pdf")};
    return formats.contains(target);
}

} // namespace

const QStringList& targets()
{
    static const QStringList list = {
        QStringLiteral("jpg"),  QStringLiteral("png"),  QStringLiteral("webp"),
        QStringLiteral("heic"), QStringLiteral("tiff"), QStringLiteral("avif"),
        QStringLiteral("bmp"),  QStringLiteral("gif"),  QStringLiteral("pdf")};
    return list;
}

QList<Operation> tools()
{
    return {
        Operation::perFile(QStringLiteral("Compress"),
                           QStringLiteral("arrow.down.right.and.arrow.up.left"), notYet),
        Operation::perFile(QStringLiteral("Half Size"), QStringLiteral("square.resize.down"),
                           notYet),
        Operation(QStringLiteral("Resize…"),
                  [](const QStringList&) -> QStringList {
                      throw notAvailableYet(QStringLiteral("Resizing"));
                  })
            .withSymbol(QStringLiteral("ruler")),
        Operation::perFile(QStringLiteral("Rotate"), QStringLiteral("rotate.right"), notYet),
        Operation::perFile(
            QStringLiteral("Flip"),
            QStringLiteral("arrow.left.and.right.righttriangle.left.righttriangle.right"), notYet),
        Operation::perFile(QStringLiteral("Square"), QStringLiteral("crop"), notYet),
        Operation::perFile(QStringLiteral("Strip Metadata"), QStringLiteral("eye.slash"), notYet),
        Operation::perFile(QStringLiteral("Remove Background"),
                           QStringLiteral("person.crop.rectangle"), notYet),
        Operation::allFiles(QStringLiteral("Merge into PDF"), QStringLiteral("doc.on.doc"),
                            [](const QStringList&) -> QString {
                                throw notAvailableYet(QStringLiteral("Merging into PDF"));
                            }),
    };
}

std::optional<QString> unavailableReason(const QString& target)
{
    if (builtInEngineWrites(target) || Deps::imageMagick() || Deps::ffmpeg())
        return std::nullopt;
    return Deps::imageMagickRequired();
}

QString convert(const QString& file, const QString& target)
{
    Q_UNUSED(file);
    throw notAvailableYet(QStringLiteral("Converting to ") + target.toUpper());
}

} // namespace ImageConverter
