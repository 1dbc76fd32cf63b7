#pragma once

#include <QByteArray>
#include <QString>

// Web pages as text: decoded with the character set the page declares (a
// byte-order mark, a meta tag), else as any text file of unknown encoding.
namespace HtmlText {

QString decode(const QByteArray& bytes);

// The character set a page declares in its first few kilobytes, if any.
QByteArray declaredCharset(const QByteArray& bytes);

} // namespace HtmlText
