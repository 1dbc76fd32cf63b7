#include "catalog/ConverterTable.h"

#include "converters/archive/ArchiveConverter.h"
#include "converters/document/DocumentConverter.h"
#include "converters/image/ImageConverter.h"
#include "converters/media/MediaConverter.h"
#include "converters/pdf/PdfConverter.h"
#include "converters/slides/SlidesConverter.h"
#include "converters/spreadsheet/SpreadsheetConverter.h"
#include "converters/subtitle/SubtitleConverter.h"

namespace ConverterTable {

const QList<ConverterFamily>& rows()
{
    static const QList<ConverterFamily> table = {
        ImageConverter::family(),       MediaConverter::videoFamily(),
        MediaConverter::audioFamily(),  PdfConverter::family(),
        DocumentConverter::family(),    SlidesConverter::family(),
        SpreadsheetConverter::family(), SubtitleConverter::family(),
        ArchiveConverter::family(),
    };
    return table;
}

const ConverterFamily* rowFor(FileKind::Kind kind)
{
    for (const ConverterFamily& row : rows()) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

} // namespace ConverterTable
