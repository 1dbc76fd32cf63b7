#include "FuzzInput.h"
#include "converters/pdf/PdfConverter.h"

// The page-range grammar ("1-3, 5"), against documents of a few sizes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzInput::bytes(data, size));
    for (const int count : {1, 7, 100000})
        FuzzInput::expectingFailures([&] {
            for (const int page : PdfConverter::pages(text, count))
                if (page < 0 || page >= count)
                    __builtin_trap(); // a page outside the document
        });
    return 0;
}
