#include "engine/audiofile/io/CComposedInput.h"

uint32_t CComposedInput::GetSampleRate()
{
    CAudioPlayerInput* first = FirstPart();
    return first == nullptr ? 44100 : first->GetSampleRate();
}

uint16_t CComposedInput::GetBitsPerSample()
{
    CAudioPlayerInput* first = FirstPart();
    return first == nullptr ? 16 : first->GetBitsPerSample();
}

uint32_t CComposedInput::GetBitRate()
{
    CAudioPlayerInput* first = FirstPart();
    if (first == nullptr)
        return uint32_t(GetBitsPerSample()) * GetSampleRate();
    return first->GetBitRate();
}

bool CComposedInput::IsLossless()
{
    CAudioPlayerInput* first = FirstPart();
    return first == nullptr ? true : first->IsLossless();
}

bool CComposedInput::IsCompressed()
{
    CAudioPlayerInput* first = FirstPart();
    return first == nullptr ? false : first->IsCompressed();
}

bool CComposedInput::IsVariableBitRate()
{
    CAudioPlayerInput* first = FirstPart();
    return first == nullptr ? false : first->IsVariableBitRate();
}

bool CComposedInput::IsFloat()
{
    CAudioPlayerInput* first = FirstPart();
    return first == nullptr ? false : first->IsFloat();
}

CAudioMetaData* CComposedInput::GetMetaData()
{
    CAudioPlayerInput* first = FirstPart();
    return first == nullptr ? CAudioPlayerInput::GetMetaData() : first->GetMetaData();
}

bool CComposedInput::IsPreparing()
{
    const size_t count = GetPartCount();
    for (size_t i = 0; i < count; ++i)
        if (GetPart(i)->IsPreparing())
            return true;
    return false;
}

void CComposedInput::Prepare()
{
    for (size_t i = GetPartCount(); i-- > 0;)
        GetPart(i)->Prepare();
}

double CComposedInput::GetPrepareProgress()
{
    double sum = 0.0;
    int preparing = 0;
    const size_t count = GetPartCount();
    for (size_t i = 0; i < count; ++i)
    {
        CAudioPlayerInput* part = GetPart(i);
        if (part->IsPreparing())
        {
            sum += part->GetPrepareProgress();
            ++preparing;
        }
    }
    return preparing > 0 ? sum / preparing : 0.0;
}
