#include "engines/documents/Epub.h"

#include "base/Errors.h"
#include "base/Translate.h"
#include "base/ZipWriter.h"
#include "engines/documents/HtmlPictures.h"
#include "engines/documents/HtmlWriter.h"
#include "engines/documents/MathText.h"
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

FLINGDIAL_TR_CONTEXT(Epub)

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
    const auto match = whole.match(document);
    QString text = match.hasMatch() ? match.captured(1) : document;
    text.remove(opening);
    text.remove(QStringLiteral("</body>"));
    return text;
}

// The name every chapter's start is known by once the book is one text.
QString chapterAnchor(const QString& path)
{
    return QStringLiteral("chapter:") + path;
}

// Links between chapters as links inside the one text the book becomes:
// "two.xhtml#notes" goes to "#notes", "two.xhtml" to the chapter's start.
QString joinedLinks(const QString& body, const QString& folder, const QSet<QString>& chapters)
{
    static const QRegularExpression link(
        QStringLiteral("(<a\\b[^>]*\\bhref\\s*=\\s*)([\"'])([^\"']*)\\2"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator matches = link.globalMatch(body);
    while (matches.hasNext()) {
        const auto match = matches.next();
        out += QStringView(body).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        QString href = match.captured(3);
        const QString file = QUrl::fromPercentEncoding(href.section(u'#', 0, 0).toUtf8());
        const QString fragment = href.contains(u'#') ? href.section(u'#', 1) : QString();
        if (!file.isEmpty() && !href.contains(u':')) {
            const auto target = inside(folder, file);
            if (target && chapters.contains(*target))
                href = u'#' + (fragment.isEmpty() ? chapterAnchor(*target) : fragment);
        }
        out += match.captured(1) + match.captured(2) + href + match.captured(2);
    }
    out += QStringView(body).mid(last);
    return out;
}

class Reader
{
public:
    explicit Reader(const QString& path)
        : m_path(path), m_archive(ZipArchive::open(
                            path,
                            [](const QString& name) {
                                const QString lower = name.toLower();
                                return lower.endsWith(QLatin1String(".xml")) ||
                                       lower.endsWith(QLatin1String(".opf")) ||
                                       lower.endsWith(QLatin1String(".xhtml")) ||
                                       lower.endsWith(QLatin1String(".html")) ||
                                       lower.endsWith(QLatin1String(".htm"));
                            },
                            Pictures::hasPictureName))
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
        // Each chapter is read once: a 2 KB book listing one chapter 20,000
        // times in its spine grew to 21 GB.
        QStringList chapters;
        for (const pugi::xpath_node& itemref :
             document.select_nodes("//*[local-name()='spine']/*[local-name()='itemref']/@idref")) {
            const QString id = QString::fromUtf8(itemref.attribute().value());
            const auto location =
                manifest.contains(id) ? inside(folder, manifest.value(id)) : std::nullopt;
            if (location && !chapters.contains(*location))
                chapters.append(*location);
        }
        const QSet<QString> known(chapters.cbegin(), chapters.cend());
        auto result = RichDocument::create();
        HtmlPictures pictures(*result);
        QString text;
        bool anyText = false;
        for (const QString& location : std::as_const(chapters)) {
            const auto bytes = m_archive.part(location);
            const auto chapter = bytes ? decoded(*bytes) : std::nullopt;
            if (!chapter)
                continue;
            const QString chapterFolder = location.section(u'/', 0, -2);
            // A chapter's pictures are parts of the book, from its own folder.
            const auto resolve = [&](const QString& source) -> std::optional<QByteArray> {
                if (const auto data = HtmlPictures::fromDataUrl(source))
                    return data;
                const auto part = inside(chapterFolder, QUrl::fromPercentEncoding(source.toUtf8()));
                return part ? m_archive.part(*part) : std::nullopt;
            };
            const QString part = pictures.prepare(
                MathText::replaceInHtml(joinedLinks(bodyOf(*chapter), chapterFolder, known)),
                resolve);
            anyText = anyText || !part.trimmed().isEmpty();
            text += QStringLiteral("<a name=\"%1\"></a>").arg(chapterAnchor(location)) + part +
                    QLatin1Char('\n');
        }
        if (!anyText)
            throw Fail(QCoreApplication::translate("Epub", "%1 has no text that can be read.")
                           .arg(fileName(m_path)));
        RichDocument::read(*result,
                           QStringLiteral("<html><head><meta charset=\"utf-8\"/></head><body>") +
                               text + QStringLiteral("</body></html>"),
                           m_path);
        pictures.finish();
        return result;
    }

private:
    Fail invalid() const
    {
        return Fail(
            QCoreApplication::translate("Epub", "%1 isn’t a valid EPUB.").arg(fileName(m_path)));
    }

    QString packagePath() const
    {
        const auto container = m_archive.part(QStringLiteral("META-INF/container.xml"));
        if (!container)
            throw Fail(QCoreApplication::translate(
                           "Epub", "%1 isn’t a valid EPUB: it has no META-INF/container.xml.")
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

    // The book's pictures, each a part of its own, listed in the manifest.
    struct Item
    {
        QString name;
        QByteArray bytes;
        QString type;
    };
    QList<Item> pictures;
    QHash<QByteArray, QString> names;
    HtmlWriter::Options options;
    options.links = DocumentModel::Links::book;
    options.headingIdentifiers = true;
    options.pictureSource = [&](const Pictures::Picture& picture) {
        const auto portable = Pictures::portable(picture);
        if (!portable)
            return QString();
        QString& name = names[portable->bytes];
        if (name.isEmpty()) {
            name = QStringLiteral("pictures/picture%1.").arg(pictures.size() + 1) +
                   Pictures::extension(portable->format);
            pictures.append(Item{name, portable->bytes, Pictures::mediaType(portable->format)});
        }
        return name;
    };
    const HtmlWriter::Body body = HtmlWriter::body(document, options);

    QString items;
    for (qsizetype i = 0; i < pictures.size(); ++i)
        items += QStringLiteral("\n    <item id=\"picture%1\" href=\"%2\" media-type=\"%3\"/>")
                     .arg(i + 1)
                     .arg(pictures.at(i).name, pictures.at(i).type);
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
                       "media-type=\"application/xhtml+xml\"/>") +
        items +
        QStringLiteral("\n  </manifest>\n  <spine><itemref idref=\"text\"/></spine>\n</package>");

    // The table of contents: the title, then the headings down to the third level.
    QString toc = QStringLiteral("<li><a href=\"text.xhtml\">") + escaped + QStringLiteral("</a>");
    QString entries;
    for (const HtmlWriter::Heading& heading : body.headings)
        if (heading.level <= 3 && !heading.text.isEmpty())
            entries += QStringLiteral("<li><a href=\"text.xhtml#%1\">%2</a></li>")
                           .arg(QString::fromUtf8(Xml::escaped(heading.id)),
                                QString::fromUtf8(Xml::escaped(heading.text)));
    if (!entries.isEmpty())
        toc += QStringLiteral("<ol>") + entries + QStringLiteral("</ol>");
    toc += QStringLiteral("</li>");
    const QString navigation =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html "
                       "xmlns=\"http://www.w3.org/1999/xhtml\" "
                       "xmlns:epub=\"http://www.idpf.org/2007/ops\">\n<head><title>") +
        escaped + QStringLiteral("</title></head>\n<body><nav epub:type=\"toc\"><ol>") + toc +
        QStringLiteral("</ol></nav></body>\n</html>");
    const QByteArray content = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html "
                               "xmlns=\"http://www.w3.org/1999/xhtml\">\n<head><title>" +
                               escaped.toUtf8() + "</title></head>\n<body>\n" + body.markup +
                               "</body>\n</html>";
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
    zip.add(QStringLiteral("OEBPS/text.xhtml"), content);
    for (const Item& picture : std::as_const(pictures))
        zip.add(QStringLiteral("OEBPS/") + picture.name, picture.bytes, ZipWriter::Method::stored);
    zip.finish();
}

std::unique_ptr<QTextDocument> read(const QString& path)
{
    return Reader(path).read();
}

} // namespace Epub
