#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// How the program and flingdial-pdf-pages talk. The command line is a mode
// and its arguments:
//
//   images SOURCE FOLDER STEM EXTENSION QUALITY   every page drawn into FOLDER
//   text SOURCE OUTPUT                            the text, as pdftotext reads it
//   html SOURCE OUTPUT                            the same text as HTML, one
//                                                 paragraph per line, with
//                                                 sizes, bold and italic
//   thumbnail SOURCE OUTPUT PIXELS                the first page as a PNG no
//                                                 larger than PIXELS across
//
// Standard output gets "page N" as each page is done, so that the program
// can tell a page that never finishes from a long document. A failure ends
// the helper with status 1 and one line on standard error, "failure: KIND"
// or "failure: KIND ARGUMENT", which the program puts in its own words.
namespace PdfPagesProtocol {

inline QString program()
{
    return QStringLiteral("flingdial-pdf-pages");
}

enum class Mode { images, text, html, thumbnail };

inline QString word(Mode mode)
{
    switch (mode) {
    case Mode::images:
        return QStringLiteral("images");
    case Mode::text:
        return QStringLiteral("text");
    case Mode::html:
        return QStringLiteral("html");
    case Mode::thumbnail:
        return QStringLiteral("thumbnail");
    }
    return {};
}

inline std::optional<Mode> mode(const QString& word)
{
    for (const Mode mode : {Mode::images, Mode::text, Mode::html, Mode::thumbnail})
        if (PdfPagesProtocol::word(mode) == word)
            return mode;
    return std::nullopt;
}

enum class Failure {
    open,      // poppler can't read the file
    locked,    // a user password
    pageCount, // poppler can't tell how many pages it has
    page,      // ARGUMENT: the number of a page that can't be drawn
    save,      // ARGUMENT: the path that can't be written
    engine,    // the image library can't start
};

inline const char* name(Failure failure)
{
    switch (failure) {
    case Failure::open:
        return "open";
    case Failure::locked:
        return "locked";
    case Failure::pageCount:
        return "page-count";
    case Failure::page:
        return "page";
    case Failure::save:
        return "save";
    case Failure::engine:
        return "engine";
    }
    return "";
}

// The line the helper writes.
inline QByteArray line(Failure failure, const QString& argument = {})
{
    QByteArray text = QByteArray("failure: ") + name(failure);
    if (!argument.isEmpty())
        text += ' ' + argument.toUtf8();
    return text + '\n';
}

struct Reported
{
    Failure failure;
    QString argument;
};

// What the helper reported in its standard error, if it said anything the
// program knows.
inline std::optional<Reported> reported(const QByteArray& standardError)
{
    const QString text = QString::fromUtf8(standardError);
    const qsizetype start = text.lastIndexOf(QLatin1String("failure: "));
    if (start < 0)
        return std::nullopt;
    QString rest = text.mid(start + 9);
    rest.truncate(rest.indexOf(QLatin1Char('\n')) < 0 ? rest.size()
                                                      : rest.indexOf(QLatin1Char('\n')));
    const QString kind = rest.section(QLatin1Char(' '), 0, 0);
    for (const Failure failure : {Failure::open, Failure::locked, Failure::pageCount, Failure::page,
                                  Failure::save, Failure::engine})
        if (kind == QLatin1String(name(failure)))
            return Reported{failure, rest.section(QLatin1Char(' '), 1)};
    return std::nullopt;
}

} // namespace PdfPagesProtocol
