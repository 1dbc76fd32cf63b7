#include "converters/document/rich/HtmlText.h"

#include "core/TextFile.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace HtmlText {

QByteArray declaredCharset(const QByteArray& bytes)
{
    static const QRegularExpression meta(
        QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(8192));
    const auto match = meta.match(head);
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

QString decode(const QByteArray& bytes)
{
    // A byte-order mark outranks the page's own claim.
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return TextFile::decode(bytes);
    QByteArray charset = declaredCharset(bytes);
    // Browsers read pages that say Latin-1 or ASCII as Windows-1252.
    if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii" ||
        charset == "ascii")
        charset = "windows-1252";
    if (!charset.isEmpty() && charset != "utf-16" && charset != "utf-32") {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            QString text = decoder.decode(bytes);
            if (!decoder.hasError() || charset != "utf-8")
                return text;
        }
    }
    return TextFile::decode(bytes);
}

} // namespace HtmlText
