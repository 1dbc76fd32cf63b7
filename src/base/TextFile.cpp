#include "base/TextFile.h"

#include "base/Errors.h"
#include "base/TextWriter.h"
#include "base/Translate.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryFile>

namespace TextFile {

FLINGDIAL_TR_CONTEXT(TextFile)

namespace {

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> byBom(const QByteArray& bytes)
{
    const auto encoding = QStringConverter::encodingForData(bytes);
    if (!encoding || *encoding == QStringConverter::Utf8)
        return std::nullopt;
    QStringDecoder decoder(*encoding);
    return decoder(bytes);
}

// Windows-1252 characters for the bytes 0x80 … 0x9F (0 where it has none).
constexpr char16_t windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<QString> windows1252(const QByteArray& bytes)
{
    bool usesHighRange = false;
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x80 && value <= 0x9F) {
            const char16_t mapped = windows1252High[value - 0x80];
            if (mapped == 0)
                return std::nullopt;
            usesHighRange = true;
            text.append(QChar(mapped));
        } else {
            text.append(QChar(value));
        }
    }
    if (!usesHighRange)
        return std::nullopt;
    return text;
}

} // namespace

QString decode(const QByteArray& bytes)
{
    if (auto text = strictUtf8(bytes))
        return *text;
    if (auto text = byBom(bytes))
        return *text;
    if (auto text = windows1252(bytes))
        return *text;
    return QString::fromLatin1(bytes);
}

namespace {

constexpr qint64 pieceSize = 1 << 20;

// The encoding decode() would choose, found without holding the file.
QByteArray encodingOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SystemError(
            tr("“%1” couldn’t be read: %2.").arg(QFileInfo(path).fileName(), file.errorString()));
    bool validUtf8 = true;
    QByteArray unfinished; // the start of a character cut at a piece's end
    bool usesHighRange = false;
    bool all1252 = true;
    QByteArray first;
    while (!file.atEnd()) {
        const QByteArray piece = file.read(pieceSize);
        if (piece.isEmpty())
            break;
        if (first.isEmpty())
            first = piece.left(4);
        if (validUtf8) {
            const QByteArray whole = unfinished + piece;
            qsizetype cut = whole.size();
            // Back over continuation bytes to the last character's lead byte.
            qsizetype lead = cut - 1;
            while (lead >= 0 && lead > cut - 4 && (uchar(whole.at(lead)) & 0xC0) == 0x80)
                --lead;
            if (lead >= 0 && uchar(whole.at(lead)) >= 0xC0) {
                const uchar first = uchar(whole.at(lead));
                const qsizetype length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
                if (cut - lead < length)
                    cut = lead;
            }
            validUtf8 = QByteArrayView(whole.constData(), cut).isValidUtf8();
            unfinished = whole.mid(cut);
        }
        for (const char byte : piece) {
            const auto value = static_cast<unsigned char>(byte);
            if (value >= 0x80 && value <= 0x9F) {
                usesHighRange = true;
                all1252 = all1252 && windows1252High[value - 0x80] != 0;
            }
        }
    }
    if (validUtf8 && unfinished.isEmpty())
        return "UTF-8";
    if (const auto encoding = QStringConverter::encodingForData(first))
        return QStringConverter::nameForEncoding(*encoding);
    return usesHighRange && all1252 ? "windows-1252" : "ISO-8859-1";
}

} // namespace

void readInPieces(const QString& path, const std::function<void(QStringView text)>& take)
{
    const QByteArray encoding = encodingOf(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SystemError(
            tr("“%1” couldn’t be read: %2.").arg(QFileInfo(path).fileName(), file.errorString()));
    QStringDecoder decoder(encoding.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Latin1);
    bool first = true;
    while (!file.atEnd()) {
        const QByteArray piece = file.read(pieceSize);
        if (piece.isEmpty())
            break;
        QString text = decoder.decode(piece);
        if (first && text.startsWith(QChar(0xfeff)))
            text.remove(0, 1);
        first = false;
        take(text);
    }
    if (file.error() != QFileDevice::NoError)
        throw SystemError(
            tr("“%1” couldn’t be read: %2.").arg(QFileInfo(path).fileName(), file.errorString()));
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SystemError(
            tr("“%1” couldn’t be read: %2.").arg(QFileInfo(path).fileName(), file.errorString()));
    return decode(file.readAll());
}

void write(const QString& path, const QString& text)
{
    TextWriter writer(path);
    writer.write(text);
    writer.finish();
}

void writeAtomically(const QString& path, const QString& text)
{
    // Written beside the destination and renamed into place once complete,
    // so that no half-written file ever carries the name.
    const auto failure = [&](const QFileDevice& file) {
        return SystemError(tr("“%1” couldn’t be written: %2.")
                               .arg(QFileInfo(path).fileName(), file.errorString()));
    };
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        throw failure(file);
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw failure(file);
    // Temporary files are private; results get the usual permissions.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    // Never over an existing file: the rename fails instead.
    if (!file.rename(path))
        throw failure(file);
    file.setAutoRemove(false);
}

} // namespace TextFile
