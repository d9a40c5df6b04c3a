#include "engine/audiofile/io/CAudioPlayerInput.h"

#include <algorithm>
#include <cmath>

#include "engine/audiofile/foundation/NumberHelpers.h"
#include "engine/audiofile/pcm/PcmBuffers.h"

namespace
{
// A frame position from a double: truncated toward zero, 0 for negative or
// NaN values, saturated at the top of the signed 64-bit range (the source
// clamps to its length anyway). Converting a negative or huge double straight
// to an unsigned integer would be undefined.
uint64_t FrameFromDouble(double value)
{
    if (!(value > 0.0))
        return 0;
    constexpr double top = 9223372036854775807.0;
    if (value >= top)
        return static_cast<uint64_t>(INT64_MAX);
    return static_cast<uint64_t>(static_cast<int64_t>(value));
}
} // namespace

uint32_t CAudioPlayerInput::GetBitRate()
{
    const uint64_t rate = uint64_t(GetSampleRate()) * GetBitsPerSample() * GetChannelCount();
    return rate > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(rate);
}

bool CAudioPlayerInput::IsLossless()
{
    return true;
}

bool CAudioPlayerInput::IsCompressed()
{
    return false;
}

bool CAudioPlayerInput::IsVariableBitRate()
{
    return false;
}

bool CAudioPlayerInput::IsFloat()
{
    return false;
}

uint64_t CAudioPlayerInput::GetRemaining()
{
    const int64_t remaining = static_cast<int64_t>(GetLength() - GetPosition());
    return remaining > 0 ? static_cast<uint64_t>(remaining) : 0;
}

double CAudioPlayerInput::GetLengthInSeconds()
{
    const uint32_t rate = GetSampleRate();
    if (rate == 0)
        return 0.0;
    return static_cast<double>(GetLength()) / rate;
}

void CAudioPlayerInput::GetLengthHourMinSec(int* hours, int* minutes, float* seconds)
{
    SecondsToHourMinSec(GetLengthInSeconds(), hours, minutes, seconds);
}

double CAudioPlayerInput::GetPositionPercent()
{
    const double length = GetLengthInSeconds();
    if (!(length > 0.0))
        return 0.0;
    return GetPositionInSeconds() / length * 100.0;
}

double CAudioPlayerInput::GetPositionInSeconds()
{
    const uint32_t rate = GetSampleRate();
    if (rate == 0)
        return 0.0;
    return static_cast<double>(GetPosition()) / rate;
}

void CAudioPlayerInput::GetPositionHourMinSec(int* hours, int* minutes, float* seconds)
{
    SecondsToHourMinSec(GetPositionInSeconds(), hours, minutes, seconds);
}

double CAudioPlayerInput::SetPositionPercent(double percent)
{
    SetPosition(FrameFromDouble(static_cast<double>(GetLength()) * percent * 0.01));
    return GetPositionPercent();
}

double CAudioPlayerInput::SetPositionInSeconds(double seconds)
{
    SetPosition(FrameFromDouble(static_cast<double>(GetSampleRate()) * seconds));
    return GetPositionInSeconds();
}

uint32_t CAudioPlayerInput::ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset)
{
    if (channels != nullptr)
        FillDsdSilence(GetChannelCount(), channels, bits / 8, bitOffset / 8);
    return 0;
}

uint32_t CAudioPlayerInput::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    if (channels != nullptr)
    {
        // Zero is the same bit pattern for integers and floats.
        const uint16_t count = GetChannelCount();
        for (uint16_t ch = 0; ch < count; ++ch)
            if (channels[ch] != nullptr)
                std::fill_n(channels[ch] + offset, frames, 0);
    }
    return 0;
}

uint32_t CAudioPlayerInput::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    if (channels != nullptr)
        ClearChannelBuffers(GetChannelCount(), channels, frames, offset);
    return 0;
}

CMarker* CAudioPlayerInput::GetMarker()
{
    return &m_marker;
}

CAudioMetaData* CAudioPlayerInput::GetMetaData()
{
    return &m_metaData;
}

bool CAudioPlayerInput::HasReadFailed()
{
    return false;
}

bool CAudioPlayerInput::IsPreparing()
{
    return false;
}

void CAudioPlayerInput::Prepare() {}

double CAudioPlayerInput::GetPrepareProgress()
{
    return 0.0;
}
