#include "engine/audiofile/song/CChannelGroupRead.h"

#include <algorithm>
#include <cstring>

#include "engine/audiofile/io/ChainedInputs.h"
#include "engine/audiofile/pcm/PcmBuffers.h"

CChannelGroupRead::CChannelGroupRead() = default;

CChannelGroupRead::~CChannelGroupRead()
{
    Close();
}

bool CChannelGroupRead::Open(const CPlaylistSection* section)
{
    Close();
    // The group's length is its longest track's, so a section needs a track.
    if (section == nullptr || section->GetTrackCount() == 0)
        return false;
    for (int i = 0; i < section->GetTrackCount(); ++i)
    {
        m_tracks.push_back(std::make_unique<CTrackRead>());
        if (!m_tracks.back()->Open(section->GetTrack(i)))
        {
            Close();
            return false;
        }
    }
    const uint32_t rate = m_tracks.front()->GetSampleRate();
    for (size_t i = 1; i < m_tracks.size(); ++i)
    {
        if (m_tracks[i]->GetSampleRate() != rate)
        {
            Close();
            return false;
        }
    }
    // On equal lengths the earlier track stays the longest.
    uint64_t longest = m_tracks.front()->GetLength();
    for (size_t i = 1; i < m_tracks.size(); ++i)
    {
        const uint64_t length = m_tracks[i]->GetLength();
        if (length > longest)
        {
            longest = length;
            m_longestTrack = static_cast<uint32_t>(i);
        }
    }
    size_t widest = 0;
    for (const auto& track : m_tracks)
        widest = std::max<size_t>(widest, track->GetChannelCount());
    if (m_scratchInt.size() < widest)
    {
        m_scratchInt.resize(widest, nullptr);
        m_scratchFloat.resize(widest, nullptr);
        m_scratchDsd.resize(widest, nullptr);
    }
    return true;
}

void CChannelGroupRead::Close()
{
    m_tracks.clear();
    m_scratchInt.clear();
    m_scratchFloat.clear();
    m_scratchDsd.clear();
    m_longestTrack = 0;
}

void CChannelGroupRead::SetOutputChannelCount(uint16_t count)
{
    m_outputChannels = count;
}

std::string CChannelGroupRead::GetFormatName()
{
    return m_tracks.empty() ? std::string() : m_tracks.front()->GetFormatName();
}

void CChannelGroupRead::SplitAt(CPlaylistSection* first, CPlaylistSection* second, double seconds)
{
    SplitAtFrame(first, second, chained::FramesFromSeconds(GetSampleRate(), seconds));
}

void CChannelGroupRead::SplitAtFrame(CPlaylistSection* first, CPlaylistSection* second, int64_t frame)
{
    if (first == nullptr || second == nullptr)
        return;
    const CPlaylistSection empty;
    first->CopyFrom(empty);
    second->CopyFrom(empty);
    for (const auto& track : m_tracks)
    {
        CPlaylistTrack before;
        CPlaylistTrack after;
        track->SplitAtFrame(&before, &after, frame);
        if (before.GetFileCount() > 0)
            first->AddTrack()->CopyFrom(before);
        if (after.GetFileCount() > 0)
            second->AddTrack()->CopyFrom(after);
    }
}

uint16_t CChannelGroupRead::GetChannelCount()
{
    uint32_t sum = 0;
    for (const auto& track : m_tracks)
        sum += track->GetChannelCount();
    return static_cast<uint16_t>(std::min<uint32_t>(sum, UINT16_MAX));
}

uint32_t CChannelGroupRead::GetBitRate()
{
    if (m_tracks.empty())
        return uint32_t(GetBitsPerSample()) * GetSampleRate();
    uint64_t sum = 0;
    for (const auto& track : m_tracks)
        sum += track->GetBitRate();
    return static_cast<uint32_t>(std::min<uint64_t>(sum, UINT32_MAX));
}

uint64_t CChannelGroupRead::GetLength()
{
    return m_tracks.empty() ? 0 : m_tracks[m_longestTrack]->GetLength();
}

uint64_t CChannelGroupRead::GetPosition()
{
    return m_tracks.empty() ? 0 : m_tracks[m_longestTrack]->GetPosition();
}

uint64_t CChannelGroupRead::SetPosition(uint64_t frame)
{
    for (const auto& track : m_tracks)
        track->SetPosition(frame);
    return GetPosition();
}

template <class Sample, class Read, class Fill>
uint32_t CChannelGroupRead::ReadTracks(Sample** out, std::vector<Sample*>& scratch, Read read, Fill fill)
{
    const uint32_t outputs = m_outputChannels;
    uint32_t c = 0;
    uint32_t result = 0;
    for (const auto& track : m_tracks)
    {
        const uint16_t k = track->GetChannelCount();
        if (scratch.size() < k)
            scratch.resize(k, nullptr);
        for (uint16_t j = 0; j < k; ++j, ++c)
            scratch[j] = out != nullptr && c < outputs ? out[c] : nullptr;
        // A lone mono track whose first channel is not wanted still feeds
        // channel 2, which would otherwise copy from nowhere.
        if (m_tracks.size() == 1 && k == 1 && outputs >= 2 && out != nullptr && out[0] == nullptr)
            scratch[0] = out[1];
        result = std::max(result, read(*track, scratch.data(), k));
    }
    if (out != nullptr && c < outputs)
    {
        if (c == 1 && outputs >= 2)
        {
            if (out[0] != nullptr && out[1] != nullptr)
                fill(out[1], out[0]);
            c = 2;
        }
        for (; c < outputs; ++c)
            if (out[c] != nullptr)
                fill(out[c], nullptr);
    }
    return result;
}

uint32_t CChannelGroupRead::ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset)
{
    const uint32_t bytes = bits / 8;
    const uint32_t byteOffset = bitOffset / 8;
    return ReadTracks(
        channels, m_scratchDsd,
        [&](CTrackRead& track, uint8_t** trackChannels, uint16_t) {
            return track.ReadDsd(trackChannels, bits, bitOffset);
        },
        [&](uint8_t* channel, const uint8_t* copyFrom) {
            if (copyFrom != nullptr)
                std::memcpy(channel + byteOffset, copyFrom + byteOffset, bytes);
            else
                FillDsdSilence(1, &channel, bytes, byteOffset);
        });
}

uint32_t CChannelGroupRead::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    const bool isFloat = IsFloat();
    return ReadTracks(
        channels, m_scratchInt,
        [&](CTrackRead& track, int32_t** trackChannels, uint16_t count) {
            const uint32_t got = track.ReadInt32(trackChannels, frames, offset);
            chained::MatchSampleKind(trackChannels, count, frames, offset, track.IsFloat(), isFloat);
            return got;
        },
        [&](int32_t* channel, const int32_t* copyFrom) {
            if (copyFrom != nullptr)
                std::copy_n(copyFrom + offset, frames, channel + offset);
            else
                std::fill_n(channel + offset, frames, 0);
        });
}

uint32_t CChannelGroupRead::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    return ReadTracks(
        channels, m_scratchFloat,
        [&](CTrackRead& track, float** trackChannels, uint16_t) {
            return track.ReadFloat(trackChannels, frames, offset);
        },
        [&](float* channel, const float* copyFrom) {
            if (copyFrom != nullptr)
                std::copy_n(copyFrom + offset, frames, channel + offset);
            else
                std::fill_n(channel + offset, frames, 0.0f);
        });
}

CMarker* CChannelGroupRead::GetMarker()
{
    return m_tracks.empty() ? CAudioPlayerInput::GetMarker() : m_tracks.front()->GetMarker();
}

bool CChannelGroupRead::HasReadFailed()
{
    for (const auto& track : m_tracks)
        if (track->HasReadFailed())
            return true;
    return false;
}

size_t CChannelGroupRead::GetPartCount() const
{
    return m_tracks.size();
}

CAudioPlayerInput* CChannelGroupRead::GetPart(size_t index) const
{
    return m_tracks[index].get();
}
