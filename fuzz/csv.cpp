#include "converters/spreadsheet/Csv.h"
#include "FuzzInput.h"
#include "base/TextFile.h"

// The CSV reader, fed whole and in small pieces (which must agree), and
// the writer's round trip.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextFile::decode(FuzzInput::bytes(data, size));
    const QChar separator = Csv::detectSeparator(text);
    FuzzInput::expectingFailures([&] {
        Csv::Table whole;
        Csv::Parser once(
            separator, [&](const QStringList& row) { whole.append(row); },
            QStringLiteral("fuzz.csv"), 1 << 20, 1 << 14);
        once.feed(text);
        once.finish();
        Csv::Table pieces;
        Csv::Parser split(
            separator, [&](const QStringList& row) { pieces.append(row); },
            QStringLiteral("fuzz.csv"), 1 << 20, 1 << 14);
        for (qsizetype at = 0; at < text.size(); at += 3)
            split.feed(QStringView(text).mid(at, 3));
        split.finish();
        if (whole != pieces)
            __builtin_trap(); // the result depends on where the pieces end
        Csv::serialize(Csv::trimmed(whole), separator);
    });
    return 0;
}
