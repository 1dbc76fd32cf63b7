#include "FuzzInput.h"
#include "base/TextFile.h"
#include "converters/subtitle/SubtitleConverter.h"

// The subtitle passes and the timestamp scanner, on any decoded text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = TextFile::decode(FuzzInput::bytes(data, size));
    SubtitleConverter::toVTT(text);
    SubtitleConverter::toSRT(text);
    FuzzInput::expectingFailures([&] { SubtitleConverter::shiftText(text, -1.5); });
    FuzzInput::expectingFailures([&] { SubtitleConverter::shiftText(text, 3600.25); });
    return 0;
}
