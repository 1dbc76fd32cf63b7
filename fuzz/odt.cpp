#include "FuzzInput.h"
#include "engines/documents/OdtReader.h"

#include <QTextDocument>

// The ZIP container and the XML parts inside it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput::needsGui();
    QTextDocument document;
    FuzzInput::expectingFailures(
        [&] { OdtReader::read(FuzzInput::asFile(data, size, QStringLiteral("odt")), document); });
    return 0;
}
