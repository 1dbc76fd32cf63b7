#include "engines/ocr/QpdfTextLayers.h"

#include "base/Errors.h"
#include "engines/ocr/GlyphlessFont.h"
#include "engines/qpdf/QpdfFiles.h"

#include <QFileInfo>
#include <QPointF>
#include <QRectF>
#include <cmath>
#include <cstdio>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace {

using Page = TextLayerEngine::Page;
using Line = TextLayerEngine::Line;

// The part of a page that shows, in the page's own coordinates, and its turn.
struct Geometry
{
    QRectF box;
    int rotation = 0; // 0, 90, 180 or 270, clockwise
    // The size it shows at, turned.
    QSizeF shown() const { return rotation % 180 == 0 ? box.size() : box.size().transposed(); }
};

std::optional<QRectF> rectangle(QPDFObjectHandle box)
{
    if (!box.isRectangle())
        return std::nullopt;
    const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
    const QRectF rect(QPointF(std::min(r.llx, r.urx), std::min(r.lly, r.ury)),
                      QPointF(std::max(r.llx, r.urx), std::max(r.lly, r.ury)));
    if (rect.isEmpty())
        return std::nullopt;
    return rect;
}

// What poppler draws: the crop box within the media box, turned.
Geometry geometryOf(QPDFPageObjectHelper& page)
{
    Geometry geometry;
    const QRectF media = rectangle(page.getMediaBox()).value_or(QRectF(0, 0, 612, 792));
    const QRectF crop = rectangle(page.getCropBox()).value_or(media) & media;
    geometry.box = crop.isEmpty() ? media : crop;
    QPDFObjectHandle rotate = page.getAttribute("/Rotate", false);
    const long long value = rotate.isInteger() ? rotate.getIntValue() : 0;
    geometry.rotation = int(((value / 90) * 90 % 360 + 360) % 360);
    return geometry;
}

QByteArray number(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 3);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? "0" : text;
}

// The matrix from the page as it shows (points, origin bottom left) to the
// page's own coordinates.
QByteArray shownToPage(const Geometry& g)
{
    const double x = g.box.left();
    const double y = g.box.top(); // the lower edge: QRectF's top is the smaller y
    const double w = g.box.width();
    const double h = g.box.height();
    double m[6] = {1, 0, 0, 1, x, y};
    switch (g.rotation) {
    case 90:
        m[0] = 0, m[1] = 1, m[2] = -1, m[3] = 0, m[4] = x + w, m[5] = y;
        break;
    case 180:
        m[0] = -1, m[1] = 0, m[2] = 0, m[3] = -1, m[4] = x + w, m[5] = y + h;
        break;
    case 270:
        m[0] = 0, m[1] = -1, m[2] = 1, m[3] = 0, m[4] = x, m[5] = y + h;
        break;
    default:
        break;
    }
    QByteArray out;
    for (const double value : m)
        out += number(value) + ' ';
    return out + "cm\n";
}

// The characters as the font's codes: UTF-16 units, each its own CID.
// Characters outside the Basic Multilingual Plane and controls can't be
// carried; they become the replacement character.
QByteArray codes(const QString& text)
{
    QByteArray hex = "<";
    for (const QChar c : text) {
        const char16_t unit = c.isSurrogate() || c.unicode() < 0x20 ? u'\uFFFD' : c.unicode();
        hex += QByteArray::number(unit, 16).rightJustified(4, '0');
    }
    return hex + '>';
}

// A line turned a quarter or a half on the page (a page scanned sideways or
// upside down), its words turned as they show so that readers take them in
// order: each word starts where its reading starts and is stretched over
// the length the recogniser saw it take.
QByteArray turnedLineText(const Line& line, double scaleX, double scaleY, double shownHeight)
{
    const bool sideways = line.turn == 90 || line.turn == 270;
    // Across the line, in pixels: a fifth below the baseline for descenders.
    const double across = sideways ? line.box.width() : line.box.height();
    const double descent = across / 5;
    const double size = (across - descent) * (sideways ? scaleX : scaleY);
    if (size <= 0)
        return {};
    // The text's direction on the shown page (y up), and where each word starts.
    const double cosine = line.turn == 180 ? -1 : 0;
    const double sine = line.turn == 90 ? 1 : line.turn == 270 ? -1 : 0;
    const auto start = [&](const QRectF& box) -> QPointF {
        switch (line.turn) {
        case 90: // read upwards, the baseline on the right
            return {(line.box.right() - descent) * scaleX, shownHeight - box.bottom() * scaleY};
        case 270: // read downwards, the baseline on the left
            return {(line.box.left() + descent) * scaleX, shownHeight - box.top() * scaleY};
        default: // upside down, read leftwards, the baseline near the top
            return {box.right() * scaleX, shownHeight - (line.box.top() + descent) * scaleY};
        }
    };
    // How far a word reaches along the line, in points.
    const auto length = [&](const QRectF& word, const QRectF* next) {
        const QPointF from = start(word);
        if (next) {
            const QPointF to = start(*next);
            const double between = std::abs(to.x() - from.x()) + std::abs(to.y() - from.y());
            if (between > 0)
                return between;
        }
        return sideways ? word.height() * scaleY : word.width() * scaleX;
    };
    QByteArray out = "/%FONT% " + number(size) + " Tf\n";
    for (qsizetype i = 0; i < line.words.size(); ++i) {
        const auto& word = line.words.at(i);
        const bool last = i + 1 == line.words.size();
        const QString text = last ? word.text : word.text + QLatin1Char(' ');
        const double reach = length(word.box, last ? nullptr : &line.words.at(i + 1).box);
        const double natural = double(text.size()) * GlyphlessFont::advance / 1000 * size;
        if (text.trimmed().isEmpty() || reach <= 0 || natural <= 0)
            continue;
        const QPointF at = start(word.box);
        out += number(100 * reach / natural) + " Tz " + number(cosine) + ' ' + number(sine) + ' ' +
               number(-sine) + ' ' + number(cosine) + ' ' + number(at.x()) + ' ' + number(at.y()) +
               " Tm " + codes(text) + " Tj\n";
    }
    return out;
}

// One line of words, each stretched over the width the recogniser saw it
// take. The line is set level on its baseline's height at its middle:
// readers split turned text into pieces of words, and words on a sloping
// baseline into several lines.
QByteArray lineText(const Line& line, double scaleX, double scaleY, double shownHeight)
{
    if (line.turn != 0)
        return turnedLineText(line, scaleX, scaleY, shownHeight);
    const double baseline = line.box.bottom() + line.offset + line.slope * line.box.width() / 2;
    const double size = std::max(baseline - line.box.top(), line.box.height() / 2) * scaleY;
    if (size <= 0)
        return {};
    QByteArray out = "/%FONT% " + number(size) + " Tf\n";
    const QByteArray y = number(shownHeight - baseline * scaleY);
    for (qsizetype i = 0; i < line.words.size(); ++i) {
        const auto& word = line.words.at(i);
        const bool last = i + 1 == line.words.size();
        const QString text = last ? word.text : word.text + QLatin1Char(' ');
        double width = last ? word.box.width() : line.words.at(i + 1).box.left() - word.box.left();
        if (width <= 0)
            width = word.box.width();
        const double natural = double(text.size()) * GlyphlessFont::advance / 1000 * size;
        if (text.trimmed().isEmpty() || width <= 0 || natural <= 0)
            continue;
        out += number(100 * width * scaleX / natural) + " Tz 1 0 0 1 " +
               number(word.box.left() * scaleX) + ' ' + y + " Tm " + codes(text) + " Tj\n";
    }
    return out;
}

// The page's text layer, its font named %FONT%.
QByteArray pageText(const Page& page, const Geometry& geometry)
{
    const QSizeF shown = geometry.shown();
    if (page.drawing.width() <= 0 || page.drawing.height() <= 0)
        return {};
    const double scaleX = shown.width() / page.drawing.width();
    const double scaleY = shown.height() / page.drawing.height();
    QByteArray lines;
    for (const Line& line : page.lines)
        lines += lineText(line, scaleX, scaleY, shown.height());
    if (lines.isEmpty())
        return {};
    return "q\n" + shownToPage(geometry) + "BT\n3 Tr\n" + lines + "ET\nQ\n";
}

// Every code to its UTF-16 unit; surrogates are never written.
std::string toUnicode()
{
    std::string ranges;
    int count = 0;
    std::string out = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    const auto flush = [&] {
        if (count == 0)
            return;
        out += std::to_string(count) + " beginbfrange\n" + ranges + "endbfrange\n";
        ranges.clear();
        count = 0;
    };
    for (int high = 0; high < 256; ++high) {
        if (high >= 0xD8 && high <= 0xDF)
            continue;
        char line[32];
        std::snprintf(line, sizeof line, "<%02X00> <%02XFF> <%02X00>\n", high, high, high);
        ranges += line;
        if (++count == 100) // the most one block may hold
            flush();
    }
    flush();
    return out + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

QPDFObjectHandle dictionary(QPDF& pdf, const std::string& text)
{
    return pdf.makeIndirectObject(QPDFObjectHandle::parse(text));
}

QPDFObjectHandle stream(QPDF& pdf, const std::string& data)
{
    return QPDFObjectHandle::newStream(&pdf, data);
}

// The invisible font: one object for the whole document.
QPDFObjectHandle makeFont(QPDF& pdf)
{
    const QByteArray fontData = GlyphlessFont::data();
    QPDFObjectHandle file = stream(pdf, fontData.toStdString());
    file.getDict().replaceKey("/Length1", QPDFObjectHandle::newInteger(fontData.size()));
    std::string everyCodeToGlyph1;
    everyCodeToGlyph1.reserve(2 * 65536);
    for (int code = 0; code < 65536; ++code)
        everyCodeToGlyph1 += std::string("\0\1", 2);
    QPDFObjectHandle descriptor =
        dictionary(pdf, "<< /Type /FontDescriptor /FontName /GlyphLessFont /Flags 5 "
                        "/FontBBox [0 0 500 1000] /ItalicAngle 0 /Ascent 1000 /Descent 0 "
                        "/CapHeight 1000 /StemV 80 >>");
    descriptor.replaceKey("/FontFile2", file);
    QPDFObjectHandle cidFont =
        dictionary(pdf, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /GlyphLessFont "
                        "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> "
                        "/DW 500 >>");
    cidFont.replaceKey("/FontDescriptor", descriptor);
    cidFont.replaceKey("/CIDToGIDMap", stream(pdf, everyCodeToGlyph1));
    QPDFObjectHandle font = dictionary(
        pdf, "<< /Type /Font /Subtype /Type0 /BaseFont /GlyphLessFont /Encoding /Identity-H >>");
    font.replaceKey("/DescendantFonts", QPDFObjectHandle::newArray({cidFont}));
    font.replaceKey("/ToUnicode", stream(pdf, toUnicode()));
    return font;
}

// The font's name in the page's resources: a name of ours that no other
// font there uses.
std::string fontName(QPDFPageObjectHelper& page, QPDF& pdf, const QPDFObjectHandle& font)
{
    QPDFObjectHandle pageObject = page.getObjectHandle();
    QPDFObjectHandle resources = pageObject.getKey("/Resources");
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        pageObject.replaceKey("/Resources", resources);
    }
    QPDFObjectHandle fonts = resources.getKey("/Font");
    if (!fonts.isDictionary()) {
        fonts = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        resources.replaceKey("/Font", fonts);
    }
    std::string name = "/FlingdialText";
    for (int n = 2; fonts.hasKey(name) && fonts.getKey(name).getObjGen() != font.getObjGen(); ++n)
        name = "/FlingdialText" + std::to_string(n);
    fonts.replaceKey(name, font);
    return name.substr(1);
}

} // namespace

QList<std::optional<double>> QpdfTextLayers::scanResolutions(const QString& pdf)
{
    const auto loaded = QpdfFiles::load(pdf);
    QList<std::optional<double>> resolutions;
    for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*loaded).getAllPages()) {
        std::optional<double> dpi;
        try {
            const Geometry geometry = geometryOf(page);
            const double inches = std::max(geometry.box.width(), geometry.box.height()) / 72;
            double largest = 0;
            page.forEachImage(true,
                              [&](QPDFObjectHandle& image, QPDFObjectHandle&, const std::string&) {
                                  QPDFObjectHandle dict = image.getDict();
                                  QPDFObjectHandle w = dict.getKey("/Width");
                                  QPDFObjectHandle h = dict.getKey("/Height");
                                  if (!w.isInteger() || !h.isInteger())
                                      return;
                                  const double width = double(w.getIntValue());
                                  const double height = double(h.getIntValue());
                                  if (width * height > largest && inches > 0) {
                                      largest = width * height;
                                      dpi = std::max(width, height) / inches;
                                  }
                              });
        } catch (const std::exception&) {
            // A damaged page is drawn at the usual resolution.
        }
        resolutions.append(dpi);
    }
    return resolutions;
}

void QpdfTextLayers::addTextLayers(const QString& source, const QList<Page>& pages,
                                   const QString& output)
{
    const auto loaded = QpdfFiles::load(source);
    QPDF& pdf = *loaded;
    try {
        QPDFPageDocumentHelper document(pdf);
        document.pushInheritedAttributesToPage();
        std::vector<QPDFPageObjectHelper> all = document.getAllPages();
        QPDFObjectHandle font;
        for (const Page& layer : pages) {
            if (m_host)
                m_host->throwIfCancelled();
            if (layer.index < 0 || size_t(layer.index) >= all.size())
                continue;
            QPDFPageObjectHelper& page = all.at(size_t(layer.index));
            QByteArray text = pageText(layer, geometryOf(page));
            if (text.isEmpty())
                continue;
            if (!font.isInitialized())
                font = makeFont(pdf);
            text.replace("%FONT%", QByteArray::fromStdString(fontName(page, pdf, font)));
            // The page's own drawing keeps its graphics state to itself.
            page.addPageContents(stream(pdf, "q\n"), true);
            page.addPageContents(stream(pdf, "\nQ\n" + text.toStdString()), false);
        }
    } catch (const Error&) {
        throw;
    } catch (const std::exception&) {
        throw Fail(tr("Can’t add text to %1.").arg(QFileInfo(source).fileName()));
    }
    // Streams are copied as they are: the pictures are not encoded again.
    QpdfFiles::save(pdf, output, [](QPDFWriter& writer) {
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(true);
    });
}
