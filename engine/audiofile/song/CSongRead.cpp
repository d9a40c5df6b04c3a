#include "engine/audiofile/song/CSongRead.h"

#include <algorithm>

#include "engine/audiofile/io/ChainedInputs.h"
#include "engine/audiofile/pcm/PcmBuffers.h"

CSongRead::CSongRead() = default;

CSongRead::~CSongRead()
{
    Close();
}

bool CSongRead::Open(const CPlaylistSong* song)
{
    Close();
    if (song == nullptr)
        return false;
    for (int i = 0; i < song->GetSectionCount(); ++i)
    {
        m_groups.push_back(std::make_unique<CChannelGroupRead>());
        m_groups.back()->SetOutputChannelCount(m_outputChannels);
        if (!m_groups.back()->Open(song->GetSection(i)))
        {
            Close();
            return false;
        }
    }
    // Sections of one song are never resampled to a common rate.
    for (size_t i = 1; i < m_groups.size(); ++i)
    {
        if (m_groups[i]->GetSampleRate() != m_groups.front()->GetSampleRate())
        {
            Close();
            return false;
        }
    }
    m_marker.CopyFrom(*song->GetMarker());
    return true;
}

void CSongRead::Close()
{
    m_groups.clear();
    m_marker.Clear();
    m_currentGroup = 0;
}

uint16_t CSongRead::SetStereoOutput()
{
    m_outputChannels = 2;
    for (const auto& group : m_groups)
        group->SetOutputChannelCount(m_outputChannels);
    return m_outputChannels;
}

std::string CSongRead::GetFormatName()
{
    return m_groups.empty() ? std::string() : m_groups.front()->GetFormatName();
}

void CSongRead::SplitAt(CPlaylistSong* first, CPlaylistSong* second, double seconds)
{
    if (first == nullptr || second == nullptr)
        return;
    first->Clear();
    second->Clear();
    // The cut is one frame position of the whole song, taken apart section by
    // section in whole frames, so that every section cuts at the same frame.
    int64_t frame = chained::FramesFromSeconds(GetSampleRate(), seconds);
    for (const auto& group : m_groups)
    {
        CPlaylistSection before;
        CPlaylistSection after;
        group->SplitAtFrame(&before, &after, frame);
        if (before.GetTrackCount() > 0)
            first->AddSection()->CopyFrom(before);
        if (after.GetTrackCount() > 0)
            second->AddSection()->CopyFrom(after);
        const uint64_t length = std::min<uint64_t>(group->GetLength(), INT64_MAX);
        frame = frame < INT64_MIN + int64_t(length) ? INT64_MIN : frame - int64_t(length);
    }
    m_marker.SplitAt(*first->GetMarker(), *second->GetMarker(), seconds);
}

uint16_t CSongRead::GetChannelCount()
{
    uint16_t largest = 0;
    for (const auto& group : m_groups)
        largest = std::max(largest, group->GetChannelCount());
    // Every group fills exactly the output channels; what lies beyond them is
    // never delivered, so it is not reported either.
    return std::min(largest, m_outputChannels);
}

uint64_t CSongRead::GetLength()
{
    return chained::SumOfLengths(m_groups);
}

uint64_t CSongRead::GetPosition()
{
    return chained::ChainPosition(m_groups, m_currentGroup);
}

uint64_t CSongRead::SetPosition(uint64_t frame)
{
    chained::ChainSetPosition(m_groups, m_currentGroup, frame);
    return GetPosition();
}

uint32_t CSongRead::ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset)
{
    if (m_groups.empty())
    {
        if (channels != nullptr)
            FillDsdSilence(m_outputChannels, channels, bits / 8, bitOffset / 8);
        return 0;
    }
    return chained::ChainRead(m_groups, m_currentGroup, bits,
                              [&](CChannelGroupRead& group, uint32_t count, uint32_t extra) {
                                  return group.ReadDsd(channels, count, bitOffset + extra);
                              });
}

uint32_t CSongRead::ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset)
{
    if (m_groups.empty())
    {
        if (channels != nullptr)
            for (uint16_t ch = 0; ch < m_outputChannels; ++ch)
                if (channels[ch] != nullptr)
                    std::fill_n(channels[ch] + offset, frames, 0);
        return 0;
    }
    const bool isFloat = IsFloat();
    return chained::ChainRead(
        m_groups, m_currentGroup, frames, [&](CChannelGroupRead& group, uint32_t count, uint32_t extra) {
            const uint32_t got = group.ReadInt32(channels, count, offset + extra);
            chained::MatchSampleKind(channels, m_outputChannels, count, offset + extra, group.IsFloat(), isFloat);
            return got;
        });
}

uint32_t CSongRead::ReadFloat(float** channels, uint32_t frames, uint32_t offset)
{
    if (m_groups.empty())
    {
        if (channels != nullptr)
            ClearChannelBuffers(m_outputChannels, channels, frames, offset);
        return 0;
    }
    return chained::ChainRead(m_groups, m_currentGroup, frames,
                              [&](CChannelGroupRead& group, uint32_t count, uint32_t extra) {
                                  return group.ReadFloat(channels, count, offset + extra);
                              });
}

bool CSongRead::HasReadFailed()
{
    return m_currentGroup < m_groups.size() && m_groups[m_currentGroup]->HasReadFailed();
}

size_t CSongRead::GetPartCount() const
{
    return m_groups.size();
}

CAudioPlayerInput* CSongRead::GetPart(size_t index) const
{
    return m_groups[index].get();
}
