#include "engines/documents/Epub.h"

#include "base/Errors.h"
#include "base/ZipWriter.h"
#include "engines/documents/Markdown.h"
#include "engines/documents/RichDocument.h"
#include "engines/documents/Xml.h"
#include "engines/documents/ZipArchive.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>
#include <QUuid>

namespace Epub {

namespace {

// Text as XML allows it: characters it forbids are dropped.
QString xmlText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xfffe || u == 0xffff)
            continue;
        out += c;
    }
    return out;
}

QString escapedTitle(const QString& title)
{
    QString text = xmlText(title);
    text.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    text.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    text.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    text.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return text;
}

QString body(const QTextDocument& document)
{
    const QString html = Markdown::html(Markdown::markdown(document));
    const QStringList pieces = html.split(QStringLiteral("<body>\n"));
    QString text = pieces.size() > 1 ? pieces.last() : QString();
    text.remove(QStringLiteral("</body></html>"));
    // Line and page breaks from Word and the like are not XML characters.
    return xmlText(text);
}

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

// A path inside the book, or nothing when it would reach outside it.
std::optional<QString> inside(const QString& folder, const QString& href)
{
    if (href.isEmpty() || href.startsWith(QLatin1Char('/')) || href.contains(QLatin1Char(':')) ||
        href.contains(QLatin1Char('\\')))
        return std::nullopt;
    const QString joined =
        QDir::cleanPath(folder.isEmpty() ? href : folder + QLatin1Char('/') + href);
    if (joined == QLatin1String("..") || joined.startsWith(QLatin1String("../")) ||
        joined.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return joined;
}

// A spine document as text: by its byte-order mark, else the encoding its
// XML declaration names, else UTF-8. Nothing when it can't be decoded.
std::optional<QString> decoded(const QByteArray& bytes)
{
    QByteArray name = "UTF-8";
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        name = "UTF-16";
    } else {
        static const QRegularExpression declaration(
            QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([A-Za-z0-9._-]+)[\"']"));
        const auto match = declaration.match(QString::fromLatin1(bytes.left(200)));
        if (match.hasMatch())
            name = match.captured(1).toLatin1();
    }
    QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    return text;
}

QString bodyOf(const QString& document)
{
    static const QRegularExpression whole(QStringLiteral("<body[^>]*>([\\s\\S]*)</body>"));
    static const QRegularExpression opening(QStringLiteral("^<body[^>]*>"));
    static const QRegularExpression image(QStringLiteral("<img[^>]*>"));
    const auto match = whole.match(document);
    QString text = match.hasMatch() ? match.captured(1) : document;
    text.remove(opening);
    text.remove(QStringLiteral("</body>"));
    text.remove(image);
    return text;
}

class Reader
{
public:
    explicit Reader(const QString& path)
        : m_path(path), m_archive(ZipArchive::open(path, [](const QString& name) {
              const QString lower = name.toLower();
              return lower.endsWith(QLatin1String(".xml")) ||
                     lower.endsWith(QLatin1String(".opf")) ||
                     lower.endsWith(QLatin1String(".xhtml")) ||
                     lower.endsWith(QLatin1String(".html")) ||
                     lower.endsWith(QLatin1String(".htm"));
          }))
    {}

    std::unique_ptr<QTextDocument> read()
    {
        const QString package = packagePath();
        const auto opf = m_archive.part(package);
        if (!opf)
            throw invalid();
        const pugi::xml_document document = Xml::parse(*opf, m_path);
        const QString folder = package.contains(QLatin1Char('/'))
                                   ? package.section(QLatin1Char('/'), 0, -2)
                                   : QString();
        QHash<QString, QString> manifest;
        for (const pugi::xpath_node& item :
             document.select_nodes("//*[local-name()='manifest']/*[local-name()='item']")) {
            const auto id = Xml::attribute(item.node(), "id");
            const auto href = Xml::attribute(item.node(), "href");
            if (id && href) {
                const QString decodedHref = QUrl::fromPercentEncoding(href->toUtf8());
                manifest.insert(*id, decodedHref.isEmpty() ? *href : decodedHref);
            }
        }
        QString text;
        bool anyText = false;
        // Each chapter is read once: a 2 KB book listing one chapter 20,000
        // times in its spine grew to 21 GB.
        QSet<QString> read;
        for (const pugi::xpath_node& itemref :
             document.select_nodes("//*[local-name()='spine']/*[local-name()='itemref']/@idref")) {
            const QString id = QString::fromUtf8(itemref.attribute().value());
            if (!manifest.contains(id) || read.contains(manifest.value(id)))
                continue;
            read.insert(manifest.value(id));
            const auto location = inside(folder, manifest.value(id));
            const auto bytes = location ? m_archive.part(*location) : std::nullopt;
            const auto chapter = bytes ? decoded(*bytes) : std::nullopt;
            if (!chapter)
                continue;
            const QString part = bodyOf(*chapter);
            anyText = anyText || !part.trimmed().isEmpty();
            text += part + QLatin1Char('\n');
        }
        if (!anyText)
            throw Fail(QStringLiteral("%1 has no text that can be read.").arg(fileName(m_path)));
        return RichDocument::fromHTML(
            QStringLiteral("<html><head><meta charset=\"utf-8\"/></head><body>") + text +
                QStringLiteral("</body></html>"),
            m_path);
    }

private:
    Fail invalid() const { return Fail(fileName(m_path) + QStringLiteral(" isn’t a valid EPUB.")); }

    QString packagePath() const
    {
        const auto container = m_archive.part(QStringLiteral("META-INF/container.xml"));
        if (!container)
            throw Fail(QStringLiteral("%1 isn’t a valid EPUB: it has no META-INF/container.xml.")
                           .arg(fileName(m_path)));
        const pugi::xml_document document = Xml::parse(*container, m_path);
        const pugi::xpath_node root =
            document.select_node("//*[local-name()='rootfile']/@full-path");
        if (!root)
            throw invalid();
        const auto path = inside(QString(), QString::fromUtf8(root.attribute().value()));
        if (!path)
            throw invalid();
        return *path;
    }

    QString m_path;
    ZipArchive m_archive;
};

} // namespace

void write(const QTextDocument& document, const QString& title, const QString& path)
{
    const QString escaped = escapedTitle(title);
    const QString identifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString modified =
        QDateTime::currentDateTimeUtc().toString(Qt::ISODate).left(19) + QLatin1Char('Z');
    const QString package =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<package "
                       "xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
                       "unique-identifier=\"id\">\n  <metadata "
                       "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n    <dc:identifier "
                       "id=\"id\">urn:uuid:") +
        identifier + QStringLiteral("</dc:identifier>\n    <dc:title>") + escaped +
        QStringLiteral("</dc:title>\n    <dc:language>en</dc:language>\n    <meta "
                       "property=\"dcterms:modified\">") +
        modified +
        QStringLiteral("</meta>\n  </metadata>\n  <manifest>\n    <item id=\"nav\" "
                       "href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
                       "properties=\"nav\"/>\n    <item id=\"text\" href=\"text.xhtml\" "
                       "media-type=\"application/xhtml+xml\"/>\n  </manifest>\n  "
                       "<spine><itemref idref=\"text\"/></spine>\n</package>");
    const QString navigation =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html "
                       "xmlns=\"http://www.w3.org/1999/xhtml\" "
                       "xmlns:epub=\"http://www.idpf.org/2007/ops\">\n<head><title>") +
        escaped +
        QStringLiteral("</title></head>\n<body><nav epub:type=\"toc\"><ol><li><a "
                       "href=\"text.xhtml\">") +
        escaped + QStringLiteral("</a></li></ol></nav></body>\n</html>");
    const QString content =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html "
                       "xmlns=\"http://www.w3.org/1999/xhtml\">\n<head><title>") +
        escaped + QStringLiteral("</title></head>\n<body>\n") + body(document) +
        QStringLiteral("\n</body>\n</html>");
    const QByteArray container =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<container version=\"1.0\" "
        "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n  <rootfiles><rootfile "
        "full-path=\"OEBPS/content.opf\" "
        "media-type=\"application/oebps-package+xml\"/></rootfiles>\n</container>";

    // The first entry, stored and without extra fields, as readers require.
    ZipWriter zip(path);
    zip.add(QStringLiteral("mimetype"), "application/epub+zip", ZipWriter::Method::stored);
    zip.add(QStringLiteral("META-INF/container.xml"), container);
    zip.add(QStringLiteral("OEBPS/content.opf"), package.toUtf8());
    zip.add(QStringLiteral("OEBPS/nav.xhtml"), navigation.toUtf8());
    zip.add(QStringLiteral("OEBPS/text.xhtml"), content.toUtf8());
    zip.finish();
}

std::unique_ptr<QTextDocument> read(const QString& path)
{
    return Reader(path).read();
}

} // namespace Epub
