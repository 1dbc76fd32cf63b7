#pragma once

#include <QByteArray>
#include <QString>

// Web pages as text: decoded with the character set the page declares (a
// byte-order mark, a meta tag), else as any text file of unknown encoding.
namespace HtmlText {

QString decode(const QByteArray& bytes);

// The character set a page declares in its first few kilobytes, if any.
QByteArray declaredCharset(const QByteArray& bytes);

// How deeply the page's elements nest, counting only elements that need an
// end tag, and its tables within each other: a rough count, made in one
// pass, to refuse hostile pages before Qt's reader sees them (its time
// grows with the square of the depth, and doubles with each table level).
struct Nesting
{
    int elements = 0;
    int tables = 0;
};
Nesting nesting(QStringView html);

// The page in the words Qt's reader takes: lengths of margins, indents,
// padding, borders and widths given in points become its units (pixels,
// which the layout takes as points), and a table cell's width in its style
// becomes the width attribute Qt reads.
QString forQtReader(const QString& html);

} // namespace HtmlText
