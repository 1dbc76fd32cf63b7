#include "engines/documents/HtmlPictures.h"

#include "base/Errors.h"
#include "base/FileOps.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace {

QString attribute(const QString& tag, const QString& name)
{
    const QRegularExpression pattern(
        QStringLiteral("\\s%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(tag);
    if (!match.hasMatch())
        return {};
    for (int group = 1; group <= 3; ++group)
        if (match.hasCaptured(group))
            return match.captured(group);
    return {};
}

// Entities an attribute may hold, as a page's author writes them.
QString decoded(QString text)
{
    static const QRegularExpression numeric(QStringLiteral("&#(x[0-9a-fA-F]+|[0-9]+);"));
    QString out;
    qsizetype last = 0;
    QRegularExpressionMatchIterator matches = numeric.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        const QString digits = match.captured(1);
        bool ok = false;
        const uint code =
            digits.startsWith(u'x') ? digits.mid(1).toUInt(&ok, 16) : digits.toUInt(&ok);
        if (ok && code > 0 && code < 0x110000) {
            const char32_t c = code;
            out += QString::fromUcs4(&c, 1);
        }
        last = match.capturedEnd();
    }
    out += QStringView(text).mid(last);
    out.replace(QLatin1String("&quot;"), QLatin1String("\""));
    out.replace(QLatin1String("&apos;"), QLatin1String("'"));
    out.replace(QLatin1String("&lt;"), QLatin1String("<"));
    out.replace(QLatin1String("&gt;"), QLatin1String(">"));
    out.replace(QLatin1String("&nbsp;"), QString(QChar::Nbsp));
    out.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return out;
}

QString escaped(QString text)
{
    text.replace(u'&', QStringLiteral("&amp;"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;"));
    text.replace(u'"', QStringLiteral("&quot;"));
    return text;
}

// A length of an <img> in points: pixels, or a CSS length in its style.
std::optional<double> length(const QString& tag, const QString& name)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([0-9.]+)\\s*(px|pt)?\\s*$"));
    auto match = number.match(attribute(tag, name));
    if (!match.hasMatch()) {
        const QRegularExpression css(
            QStringLiteral("(?:^|;)\\s*%1\\s*:\\s*([0-9.]+)\\s*(px|pt)").arg(name),
            QRegularExpression::CaseInsensitiveOption);
        match = css.match(decoded(attribute(tag, QStringLiteral("style"))));
        if (!match.hasMatch())
            return std::nullopt;
    }
    const double value = match.captured(1).toDouble();
    if (!(value > 0))
        return std::nullopt;
    return match.captured(2) == QLatin1String("pt") ? value : value * 0.75;
}

} // namespace

HtmlPictures::HtmlPictures(QTextDocument& document) : m_document(document), m_store(document) {}

QString HtmlPictures::prepare(const QString& html, const Resolver& resolve)
{
    static const QRegularExpression image(QStringLiteral("<img\\b[^>]*>"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    QHash<QString, std::optional<QByteArray>> sources;
    QRegularExpressionMatchIterator matches = image.globalMatch(html);
    while (matches.hasNext()) {
        const auto match = matches.next();
        out += QStringView(html).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        const QString tag = match.captured(0);
        const QString source = decoded(attribute(tag, QStringLiteral("src"))).trimmed();
        const QString alt = decoded(attribute(tag, QStringLiteral("alt")));
        if (!sources.contains(source))
            sources.insert(source, source.isEmpty() ? std::nullopt : resolve(source));
        const std::optional<QByteArray>& bytes = sources[source];
        const auto width = length(tag, QStringLiteral("width"));
        const auto height = length(tag, QStringLiteral("height"));
        std::optional<QTextImageFormat> picture;
        if (bytes) {
            std::optional<QSizeF> size;
            if (width && height) {
                size = QSizeF(*width, *height);
            } else if (width || height) {
                // One side given: the other keeps the picture's proportions.
                if (const auto found = Pictures::recognise(*bytes)) {
                    const QSizeF pixels(found->pixels);
                    size = width ? QSizeF(*width, *width * pixels.height() / pixels.width())
                                 : QSizeF(*height * pixels.width() / pixels.height(), *height);
                }
            }
            picture = m_store.add(*bytes, size, alt);
        }
        if (!picture) {
            out += escaped(alt);
            continue;
        }
        m_shown[picture->name()].append(Shown{alt, Pictures::sizeOf(*picture)});
        out += QStringLiteral("<img src=\"%1\"/>").arg(escaped(picture->name()));
    }
    out += QStringView(html).mid(last);
    return out;
}

void HtmlPictures::finish()
{
    if (m_shown.isEmpty())
        return;
    QTextCursor cursor(&m_document);
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            QList<Shown>& shown = m_shown[format.name()];
            // Equal pictures side by side share one fragment.
            for (int i = 0; i < fragment.length() && !shown.isEmpty(); ++i) {
                const Shown next = shown.takeFirst();
                format.setWidth(next.size.width());
                format.setHeight(next.size.height());
                if (next.alt.trimmed().isEmpty())
                    format.clearProperty(Pictures::altProperty);
                else
                    format.setProperty(Pictures::altProperty, next.alt.simplified());
                cursor.setPosition(fragment.position() + i);
                cursor.setPosition(fragment.position() + i + 1, QTextCursor::KeepAnchor);
                cursor.setCharFormat(format);
            }
        }
    }
}

std::optional<QByteArray> HtmlPictures::fromDataUrl(const QString& url)
{
    if (!url.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return std::nullopt;
    const qsizetype comma = url.indexOf(u',');
    if (comma < 0)
        return std::nullopt;
    const QString header = url.mid(5, comma - 5);
    const QByteArray payload = url.mid(comma + 1).toLatin1();
    if (header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
        return QByteArray::fromBase64(QByteArray(payload).replace(' ', "").replace('\n', ""));
    return QByteArray::fromPercentEncoding(payload);
}

HtmlPictures::Resolver HtmlPictures::inFolder(const QString& folder, qint64 limit)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    return [root, limit](const QString& source) -> std::optional<QByteArray> {
        if (const auto data = fromDataUrl(source))
            return data;
        const QUrl url(source);
        QString path;
        if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0)
            path = url.toLocalFile();
        else if (url.scheme().isEmpty())
            path = url.path(QUrl::FullyDecoded);
        else
            return std::nullopt; // the network, or some other place
        if (path.isEmpty() || root.isEmpty())
            return std::nullopt;
        const QString joined =
            QDir::isAbsolutePath(path) ? path : QDir(root).absoluteFilePath(path);
        // Links are followed before the check, so none leads out of the folder.
        const QString real = QFileInfo(joined).canonicalFilePath();
        if (real.isEmpty() || !real.startsWith(root + u'/'))
            return std::nullopt;
        try {
            return FileOps::readInput(real, limit);
        } catch (const Error&) {
            return std::nullopt;
        }
    };
}
