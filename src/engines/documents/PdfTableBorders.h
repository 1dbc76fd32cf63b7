#pragma once

#include "engines/documents/DocumentModel.h"

#include <QList>
#include <QRectF>
#include <array>

class QPainter;
class QTextDocument;
class QTextTable;

// The borders of a document's tables, drawn by the PDF renderer itself.
// Qt lays out and draws tables with borders of their own per cell (the
// collapsed borders of a word processor) by asking, for every cell, after
// its neighbours and their formats: a 5,000-row table took three quarters
// of the time of a whole conversion. Without borders the same table is
// laid out and drawn four times as fast; the borders are then drawn along
// the cells that layout placed.
class PdfTableBorders
{
public:
    // Takes the borders off every table's cells, keeping them to draw.
    // Call before the document is laid out.
    void take(QTextDocument& document);

    // Finds where each cell lies, once the document is laid out; the
    // document's lengths are `scale` times the layout's units.
    void measure(const QTextDocument& document, double scale);

    // Draws the borders that fall on the page whose text spans `page`
    // (document coordinates, as the painter has them).
    void draw(QPainter& painter, const QRectF& page) const;

private:
    struct Cell
    {
        int row = 0;
        int column = 0;
        int rowSpan = 1;
        int columnSpan = 1;
        std::array<DocumentModel::Border, 4> borders; // by DocumentModel::Side
        int firstBlock = 0;                           // positions in the document
        int lastBlock = 0;
        double paddingTop = 0; // points
        double paddingBottom = 0;
        double paddingLeft = 0;
    };
    struct Table
    {
        QTextTable* table = nullptr;
        int rows = 0;
        int columns = 0;
        int headerRows = 0;
        QList<Cell> cells;
        QList<double> lefts;   // of each column, and the right edge after the last
        QList<double> tops;    // of each row
        QList<double> bottoms; // of each row
    };

    void drawCell(QPainter& painter, const Cell& cell, const QRectF& box) const;

    QList<Table> m_tables;
};
