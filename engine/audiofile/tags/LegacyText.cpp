#include "engine/audiofile/tags/LegacyText.h"

#include "platform/text/LegacyText.h"

uint32_t LegacyBytesToWide(char16_t* dst, uint32_t capacity, const char* src, uint32_t byteCount)
{
    return qm::platform::decodeLegacyText(qm::platform::currentLegacyCodePage(), src, byteCount, dst, capacity);
}
