#include "FuzzInput.h"
#include "engines/documents/HtmlText.h"
#include "engines/documents/RichDocument.h"

#include <QTextDocument>

// Web pages: the declared character set, the nesting count that guards Qt's
// reader, and the reading itself.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput::needsGui();
    const QString page = HtmlText::decode(FuzzInput::bytes(data, size));
    FuzzInput::expectingFailures(
        [&] { RichDocument::fromHTML(page, QStringLiteral("page.html")); });
    return 0;
}
