#include "engine/audiofile/io/CAudioFileReadBase.h"

#include <cstring>

CAudioFileReadBase::CAudioFileReadBase()
    : CBinaryFile64(false)
{
}

CAudioFileReadBase::~CAudioFileReadBase() = default;

bool CAudioFileReadBase::IsAcceptedSampleRate(uint32_t rate)
{
    switch (rate)
    {
    case 44100:
    case 48000:
    case 88200:
    case 96000:
    case 176400:
    case 192000:
        return true;
    default:
        return false;
    }
}

int CAudioFileReadBase::GetDiscId()
{
    return 0;
}

uint64_t CAudioFileReadBase::GetAbsolutePosition()
{
    return GetRangeStart() + GetPosition();
}

uint32_t CAudioFileReadBase::GetPictureDataSize()
{
    return 0;
}

int CAudioFileReadBase::ReadPictureData(uint8_t* buffer, uint32_t size)
{
    if (buffer != nullptr)
        std::memset(buffer, 0, size);
    return 0;
}

void CAudioFileReadBase::ReadFileDateTime()
{
    CMultiString* date = m_metaData.GetField(CAudioMetaData::kDate);
    CMultiString* time = m_metaData.GetField(CAudioMetaData::kTime);
    date->Clear();
    time->Clear();
    char dateText[11];
    char timeText[9];
    // Blank templates are no date: they would travel into exported tags.
    if (GetFileDateTimeStrings(dateText, timeText))
    {
        date->SetNarrow(-1, dateText);
        time->SetNarrow(-1, timeText);
    }
}
