#include "engine/audiofile/tags/CAudioMetaData.h"

#include <cstdlib>
#include <cstring>

CAudioMetaData::CAudioMetaData()
{
    for (auto& field : m_fields)
        field = std::make_unique<CMultiString>(kFieldCapacity);
    Clear();
}

CAudioMetaData::~CAudioMetaData() = default;

void CAudioMetaData::Clear()
{
    for (auto& field : m_fields)
        field->Clear();
    std::memset(m_picturePath, 0, sizeof(m_picturePath));
}

void CAudioMetaData::CopyFrom(const CAudioMetaData& source)
{
    if (&source == this)
        return;
    for (int i = 0; i < kFieldCount; ++i)
        m_fields[i]->SetWide(-1, source.m_fields[i]->GetWide());
    std::memcpy(m_picturePath, source.m_picturePath, sizeof(m_picturePath));
}

int CAudioMetaData::GetYear() const
{
    const char* date = m_fields[kDate]->GetNarrow();
    if (std::strlen(date) < 4)
        return -1;
    char digits[5] = {date[0], date[1], date[2], date[3], 0};
    const long year = std::strtol(digits, nullptr, 10);
    return year < 1 ? -1 : static_cast<int>(year);
}

CMultiString* CAudioMetaData::GetField(int index)
{
    if (index < 0 || index >= kFieldCount)
        return nullptr;
    return m_fields[index].get();
}

const CMultiString* CAudioMetaData::GetField(int index) const
{
    if (index < 0 || index >= kFieldCount)
        return nullptr;
    return m_fields[index].get();
}

const char16_t* CAudioMetaData::GetPicturePath() const
{
    return m_picturePath;
}

bool CAudioMetaData::SetPicturePath(const char16_t* path, int length)
{
    std::memset(m_picturePath, 0, sizeof(m_picturePath));
    if (path == nullptr)
        return length <= 0;
    size_t count = 0;
    while ((length < 0 || count < static_cast<size_t>(length)) && path[count] != 0)
    {
        if (count == static_cast<size_t>(kMaxPicturePathLength))
            return false; // does not fit: left empty
        ++count;
    }
    std::memcpy(m_picturePath, path, count * sizeof(char16_t));
    return true;
}
