#include "FuzzInput.h"
#include "engines/documents/RtfReader.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput::needsGui();
    QTextDocument document;
    FuzzInput::expectingFailures([&] {
        RtfReader::parse(FuzzInput::bytes(data, size), QStringLiteral("fuzz.rtf"), document);
    });
    return 0;
}
