#include "engine/audiofile/pcm/CSimpleBufferPcm.h"

#include <algorithm>
#include <new>

#include "engine/audiofile/pcm/PcmBuffers.h"

namespace
{
constexpr std::align_val_t kChannelAlignment{16};
}

CSimpleBufferPcm::CSimpleBufferPcm(uint16_t channels, uint32_t frames)
    : m_channels(std::min<uint16_t>(channels, 2)),
      m_frames(frames)
{
    for (uint16_t ch = 0; ch < m_channels; ++ch)
    {
        const size_t bytes = std::max<size_t>(static_cast<size_t>(frames) * sizeof(float), 16);
        m_buffer[ch] = static_cast<float*>(::operator new[](bytes, kChannelAlignment, std::nothrow));
    }
    CSimpleBufferPcm::Clear();
}

CSimpleBufferPcm::~CSimpleBufferPcm()
{
    for (float* buffer : m_buffer)
        if (buffer != nullptr)
            ::operator delete[](buffer, kChannelAlignment);
}

uint32_t CSimpleBufferPcm::Clear()
{
    ClearChannelBuffers(m_channels, m_buffer, m_frames, 0);
    return m_frames;
}
