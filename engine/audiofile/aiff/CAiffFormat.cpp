#include "engine/audiofile/aiff/CAiffFormat.h"

#include <bit>
#include <cstring>

#include "engine/audiofile/foundation/NumberHelpers.h"

CAiffFormat::CAiffFormat()
{
    ResetAiffFormat();
}

CAiffFormat::~CAiffFormat() = default;

void CAiffFormat::ResetAiffFormat()
{
    std::memcpy(m_formId, "FORM", 4);
    m_formSize = 46;
    std::memcpy(m_formType, "AIFF", 4);
    std::memcpy(m_commId, "COMM", 4);
    m_commSize = 18;
    m_channelCount = 2;
    m_sampleFrames = 0;
    m_sampleSize = 16;
    RateToExtended(44100, m_sampleRate);
    std::memcpy(m_ssndId, "SSND", 4);
    m_ssndSize = 8;
    m_ssndOffset = 0;
    m_ssndBlockSize = 0;
}

uint32_t CAiffFormat::ExtendedToRate(const uint8_t* extended)
{
    if (extended[0] != 0x40 || extended[1] > 0x1C)
        return 0;
    const uint32_t exponent = uint32_t(extended[0]) << 8 | extended[1];
    const uint32_t mantissa = static_cast<uint32_t>(BigEndianBytesToInt(extended + 2, 4));
    return mantissa >> (0x401E - exponent);
}

void CAiffFormat::RateToExtended(uint32_t rate, uint8_t* extended)
{
    std::memset(extended, 0, 10);
    if (rate == 0)
        return;
    // rate = 1.f x 2^e with the leading one explicit at the mantissa's top.
    const int e = 31 - std::countl_zero(rate);
    const uint32_t exponent = 16383 + static_cast<uint32_t>(e);
    IntToBigEndianBytes(extended, exponent, 2);
    IntToBigEndianBytes(extended + 2, uint64_t(rate) << (63 - e), 8);
}
