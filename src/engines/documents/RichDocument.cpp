#include "engines/documents/RichDocument.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/FileOps.h"
#include "base/TextFile.h"
#include "engines/documents/DocxReader.h"
#include "engines/documents/DocxWriter.h"
#include "engines/documents/Epub.h"
#include "engines/documents/HtmlText.h"
#include "engines/documents/Markdown.h"
#include "engines/documents/OdtReader.h"
#include "engines/documents/OdtWriter.h"
#include "engines/documents/PdfRenderer.h"
#include "engines/documents/RtfReader.h"
#include "engines/documents/RtfWriter.h"
#include "engines/documents/TextBuilder.h"
#include "engines/documents/WebArchive.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace RichDocument {

namespace {

constexpr qreal defaultPointSize = 12;

// Real pages nest a few dozen elements deep; Qt's reader takes seconds at
// thousands and hours at hundreds of thousands.
constexpr int maximumHtmlDepth = 512;

QString systemFamily()
{
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont defaultFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(defaultPointSize);
    return font;
}

std::unique_ptr<QTextDocument> plain(const QString& text)
{
    auto document = create();
    QTextCursor cursor(document.get());
    QTextCharFormat format;
    format.setFont(defaultFont());
    QString body = text;
    // One block per line; a carriage return before the line feed is not text.
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    cursor.insertText(body, format);
    return document;
}

std::unique_ptr<QTextDocument> readWith(void (*reader)(const QString&, QTextDocument&),
                                        const QString& path)
{
    auto document = create();
    reader(path, *document);
    return document;
}

void writeBytes(const QString& destination, const QByteArray& bytes)
{
    QFile file(destination);
    const auto failure = [&] {
        return SystemError(QStringLiteral("“%1” couldn’t be written: %2.")
                               .arg(QFileInfo(destination).fileName(), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw failure();
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw failure();
    file.close();
    if (file.error() != QFileDevice::NoError)
        throw failure();
}

// Markdown files are UTF-8 (a byte-order mark allowed); other bytes are refused.
QString strictUtf8(const QString& path)
{
    const QByteArray bytes = FileOps::readInput(path, inputLimit);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw Fail(QStringLiteral("%1 isn’t UTF-8 text.").arg(QFileInfo(path).fileName()));
    return text;
}

QByteArray html(QTextDocument& document, const QString& title)
{
    document.setMetaInformation(QTextDocument::DocumentTitle, title);
    return document.toHtml().toUtf8();
}

} // namespace

std::unique_ptr<QTextDocument> create()
{
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(defaultFont());
    document->setUndoRedoEnabled(false);
    return document;
}

std::unique_ptr<QTextDocument> fromHTML(const QString& text, const QString& source)
{
    const HtmlText::Nesting nesting = HtmlText::nesting(text);
    if (nesting.elements > maximumHtmlDepth || nesting.tables > TextBuilder::maximumTableDepth)
        throw Fail(
            QStringLiteral("%1 nests too deeply to be read.")
                .arg(source.isEmpty() ? QStringLiteral("The page") : QFileInfo(source).fileName()));
    auto document = create();
    // Qt's reader knows <s> and <strike> but not <del>.
    static const QRegularExpression del(QStringLiteral("<(/?)del\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString html = text;
    html.replace(del, QStringLiteral("<\\1s"));
    document->setHtml(html);
    return document;
}

std::unique_ptr<QTextDocument> load(const QString& path)
{
    const QString key = FileKind::ext(path);
    if (key == QLatin1String("docx"))
        return readWith(DocxReader::read, path);
    if (key == QLatin1String("odt"))
        return readWith(OdtReader::read, path);
    if (key == QLatin1String("rtf"))
        return readWith(RtfReader::read, path);
    if (key == QLatin1String("rtfd")) {
        auto document = create();
        RtfReader::read(path + QStringLiteral("/TXT.rtf"), *document);
        return document;
    }
    if (key == QLatin1String("html"))
        return fromHTML(HtmlText::decode(FileOps::readInput(path, inputLimit)), path);
    if (key == QLatin1String("webarchive"))
        return fromHTML(WebArchive::mainHtml(path), path);
    if (key == QLatin1String("txt"))
        return plain(TextFile::decode(FileOps::readInput(path, inputLimit)));
    if (key == QLatin1String("md"))
        return fromHTML(Markdown::html(strictUtf8(path)), path);
    if (key == QLatin1String("epub"))
        return Epub::read(path);
    throw Fail(QStringLiteral("This computer can’t open .%1 files.").arg(key));
}

void write(QTextDocument& document, const QString& title, const QString& target,
           const QString& destination)
{
    makeFontsPortable(document);
    if (target == QLatin1String("txt"))
        TextFile::write(destination, plainText(document));
    else if (target == QLatin1String("html"))
        writeBytes(destination, html(document, title));
    else if (target == QLatin1String("docx"))
        DocxWriter::write(document, title, destination);
    else if (target == QLatin1String("odt"))
        OdtWriter::write(document, title, destination);
    else if (target == QLatin1String("rtf"))
        writeBytes(destination, RtfWriter::rtf(document));
    else if (target == QLatin1String("pdf"))
        PdfRenderer::write(document, destination);
    else if (target == QLatin1String("md"))
        TextFile::write(destination, Markdown::markdown(document));
    else if (target == QLatin1String("epub"))
        Epub::write(document, title, destination);
    else
        throw Fail(QStringLiteral("Can’t create .%1 files.").arg(target));
}

void makeFontsPortable(QTextDocument& document)
{
    const QString system = systemFamily();
    const QStringList portable = {QStringLiteral("Helvetica Neue")};
    // Text without a family of its own follows the default font.
    if (document.defaultFont().family() == system) {
        QFont font = document.defaultFont();
        font.setFamilies(portable);
        document.setDefaultFont(font);
    }
    QList<std::pair<int, int>> ranges;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QStringList families = fragment.charFormat().fontFamilies().toStringList();
            if (!families.isEmpty() && families.first() == system)
                ranges.append({fragment.position(), fragment.position() + fragment.length()});
        }
    }
    QTextCharFormat format;
    format.setFontFamilies(portable);
    QTextCursor cursor(&document);
    for (const auto& [start, end] : std::as_const(ranges)) {
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
}

QString plainText(const QTextDocument& document)
{
    QString text = document.toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

} // namespace RichDocument
