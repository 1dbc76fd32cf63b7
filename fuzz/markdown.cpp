#include "engines/documents/Markdown.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Markdown::html(QString::fromUtf8(FuzzInput::bytes(data, size)));
    return 0;
}
