#include "FuzzInput.h"
#include "engines/documents/DocxReader.h"

#include <QTextDocument>

// The ZIP container and the XML parts inside it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput::needsGui();
    QTextDocument document;
    FuzzInput::expectingFailures(
        [&] { DocxReader::read(FuzzInput::asFile(data, size, QStringLiteral("docx")), document); });
    return 0;
}
