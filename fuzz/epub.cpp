#include "engines/documents/Epub.h"
#include "FuzzInput.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput::needsGui();
    FuzzInput::expectingFailures(
        [&] { Epub::read(FuzzInput::asFile(data, size, QStringLiteral("epub"))); });
    return 0;
}
