#include "engine/audiofile/io/CAudioRecorderOutput.h"

#include "engine/audiofile/pcm/PcmBuffers.h"

bool CAudioRecorderOutput::IsFloat()
{
    return false;
}

bool CAudioRecorderOutput::CanWrite()
{
    return true;
}

uint32_t CAudioRecorderOutput::WriteDsd(uint8_t**, uint32_t)
{
    return 0;
}

uint32_t CAudioRecorderOutput::WriteInt32(int32_t**, uint32_t)
{
    return 0;
}

uint32_t CAudioRecorderOutput::WriteFloat(float**, uint32_t)
{
    return 0;
}

CMarker* CAudioRecorderOutput::GetMarker()
{
    return &m_marker;
}

CAudioMetaData* CAudioRecorderOutput::GetMetaData()
{
    return &m_metaData;
}

void CAudioRecorderOutput::UpdateMetaData() {}

uint32_t CAudioRecorderOutput::WriteFloatAsInt32(float** channels, uint32_t frames)
{
    if (channels == nullptr)
        return 0;
    // The conversion runs in place: the caller's buffers hold integers afterwards.
    int32_t** integers = reinterpret_cast<int32_t**>(channels);
    FloatToInt32Clip(GetChannelCount(), channels, integers, frames);
    return WriteInt32(integers, frames);
}
