#include "engines/documents/RichDocument.h"

#include "base/Errors.h"
#include "base/FileKind.h"
#include "base/FileOps.h"
#include "base/TextFile.h"
#include "base/Translate.h"
#include "engines/documents/DocxReader.h"
#include "engines/documents/DocxWriter.h"
#include "engines/documents/Epub.h"
#include "engines/documents/HtmlText.h"
#include "engines/documents/HtmlWriter.h"
#include "engines/documents/Markdown.h"
#include "engines/documents/MathText.h"
#include "engines/documents/NewFile.h"
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

FLINGDIAL_TR_CONTEXT(RichDocument)

namespace {

constexpr qreal defaultPointSize = 12;

// A document that finds only the resources its reader gave it. Qt's own
// lookup reads any local file a page names (an <img src="/dev/zero">, a
// style sheet) and data: URLs; pictures are resolved by the readers, which
// keep to the source's folder and the size limits.
class SealedDocument : public QTextDocument
{
protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

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

// Markdown files are UTF-8 (a byte-order mark allowed); other bytes are refused.
QString strictUtf8(const QString& path)
{
    const QByteArray bytes = FileOps::readInput(path, inputLimit);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw Fail(tr("%1 isn’t UTF-8 text.").arg(QFileInfo(path).fileName()));
    return text;
}

std::unique_ptr<QTextDocument> fromWebArchive(const QString& path)
{
    const WebArchive::Page page = WebArchive::read(path);
    // A web archive's pictures are its own resources, never fetched.
    const auto resources = [&](const QString& source) -> std::optional<QByteArray> {
        if (const auto data = HtmlPictures::fromDataUrl(source))
            return data;
        const auto found = page.resources.constFind(page.address.resolved(QUrl(source)).toString());
        if (found == page.resources.constEnd())
            return std::nullopt;
        return *found;
    };
    return fromHTML(page.html, path, resources);
}

QString dataUrl(const Pictures::Picture& picture)
{
    const auto portable = Pictures::portable(picture);
    if (!portable)
        return {};
    return QStringLiteral("data:") + Pictures::mediaType(portable->format) +
           QStringLiteral(";base64,") + QString::fromLatin1(portable->bytes.toBase64());
}

// The pictures of a page or Markdown file, each written once into the
// folder made for them beside it.
class PictureFiles
{
public:
    explicit PictureFiles(const QString& folder) : m_folder(folder) {}

    // The picture's address from the page: the folder's name, then the file's.
    QString source(const Pictures::Picture& picture)
    {
        const auto portable = Pictures::portable(picture);
        if (!portable || m_folder.isEmpty())
            return {};
        QString& name = m_written[portable->bytes];
        if (name.isEmpty()) {
            name = QStringLiteral("picture%1.").arg(m_written.size()) +
                   Pictures::extension(portable->format);
            NewFile::write(m_folder + u'/' + name, portable->bytes);
        }
        return QString::fromUtf8(QUrl::toPercentEncoding(QFileInfo(m_folder).fileName())) + u'/' +
               name;
    }

private:
    QString m_folder;
    QHash<QByteArray, QString> m_written;
};

} // namespace

std::unique_ptr<QTextDocument> create()
{
    auto document = std::make_unique<SealedDocument>();
    document->setDefaultFont(defaultFont());
    document->setUndoRedoEnabled(false);
    return document;
}

std::unique_ptr<QTextDocument> fromHTML(const QString& text, const QString& source,
                                        const HtmlPictures::Resolver& pictures)
{
    auto document = create();
    HtmlPictures shown(*document);
    QString html = MathText::replaceInHtml(text);
    html = shown.prepare(html,
                         pictures ? pictures : HtmlPictures::Resolver(HtmlPictures::fromDataUrl));
    read(*document, html, source);
    shown.finish();
    return document;
}

void read(QTextDocument& document, const QString& text, const QString& source)
{
    const HtmlText::Nesting nesting = HtmlText::nesting(text);
    if (nesting.elements > maximumHtmlDepth || nesting.tables > TextBuilder::maximumTableDepth)
        throw Fail(source.isEmpty()
                       ? tr("The page nests too deeply to be read.")
                       : tr("%1 nests too deeply to be read.").arg(QFileInfo(source).fileName()));
    // Qt's reader knows <s> and <strike> but not <del>.
    static const QRegularExpression del(QStringLiteral("<(/?)del\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    QString html = HtmlText::forQtReader(text);
    html.replace(del, QStringLiteral("<\\1s"));
    document.setHtml(html);
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
    // Pictures of pages come from the page's own folder.
    const auto folder =
        HtmlPictures::inFolder(QFileInfo(path).absolutePath(), Pictures::Store::budget);
    if (key == QLatin1String("html"))
        return fromHTML(HtmlText::decode(FileOps::readInput(path, inputLimit)), path, folder);
    if (key == QLatin1String("webarchive"))
        return fromWebArchive(path);
    if (key == QLatin1String("txt"))
        return plain(TextFile::decode(FileOps::readInput(path, inputLimit)));
    if (key == QLatin1String("md"))
        return fromHTML(Markdown::html(strictUtf8(path)), path, folder);
    if (key == QLatin1String("epub"))
        return Epub::read(path);
    throw Fail(tr("This computer can’t open .%1 files.").arg(key));
}

void write(QTextDocument& document, const QString& title, const QString& target,
           const QString& destination, const QString& picturesFolder)
{
    makeFontsPortable(document);
    PictureFiles files(picturesFolder);
    if (target == QLatin1String("txt")) {
        TextFile::write(destination, plainText(document));
    } else if (target == QLatin1String("html")) {
        HtmlWriter::Options options;
        // Without a folder beside the page, the page holds its pictures.
        options.pictureSource = [&](const Pictures::Picture& picture) {
            return picturesFolder.isEmpty() ? dataUrl(picture) : files.source(picture);
        };
        NewFile::write(destination, HtmlWriter::page(document, title, options));
    } else if (target == QLatin1String("docx"))
        DocxWriter::write(document, title, destination);
    else if (target == QLatin1String("odt"))
        OdtWriter::write(document, title, destination);
    else if (target == QLatin1String("rtf"))
        NewFile::write(destination, RtfWriter::rtf(document));
    else if (target == QLatin1String("pdf"))
        PdfRenderer::write(document, destination);
    else if (target == QLatin1String("md"))
        TextFile::write(destination,
                        Markdown::markdown(document, [&](const Pictures::Picture& picture) {
                            return picturesFolder.isEmpty() ? QString() : files.source(picture);
                        }));
    else if (target == QLatin1String("epub"))
        Epub::write(document, title, destination);
    else
        throw Fail(tr("Can’t create .%1 files.").arg(target));
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
    if (!text.contains(QChar::ObjectReplacementCharacter))
        return text;
    // Pictures are their alt text.
    text.clear();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += u'\n';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat())
                text += format.stringProperty(Pictures::altProperty).repeated(fragment.length());
            else
                text += QString(fragment.text()).remove(QChar::ObjectReplacementCharacter);
        }
    }
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::Nbsp, u' ');
    return text;
}

} // namespace RichDocument
