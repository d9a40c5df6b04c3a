#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/io/CComposedInput.h"
#include "engine/audiofile/song/CPlaylistSong.h"
#include "engine/audiofile/song/CTrackRead.h"

// One section of a song as one input stream: its tracks read side by side,
// each on the next free output channels (the first track from channel 1, the
// second after it, and so on). A track's channels beyond the output channel
// count are read nowhere; a lone mono track is delivered on both of the first
// two channels; output channels that no track fills are silent. The group
// ends when its longest track ends.
class CChannelGroupRead : public CComposedInput
{
public:
    CChannelGroupRead();
    ~CChannelGroupRead() override;

    // Opens a track reader per track. False (group closed) when the section
    // is null or has no track, when a track fails to open, or when two tracks
    // differ in sample rate.
    bool Open(const CPlaylistSection* section);
    void Close();

    // The number of channel buffers the read operations are given.
    void SetOutputChannelCount(uint16_t count);
    uint16_t GetOutputChannelCount() const { return m_outputChannels; }

    // The first track's format name; empty when there is no track.
    std::string GetFormatName();

    // Divides every track at a time (seconds from the start of the section)
    // into tracks of `first` and `second`; a side that gets no segment of a
    // track gets no track for it. Both sections lose their own tracks first.
    void SplitAt(CPlaylistSection* first, CPlaylistSection* second, double seconds);
    // The same at a frame position of the section.
    void SplitAtFrame(CPlaylistSection* first, CPlaylistSection* second, int64_t frame);

    // The sum of the tracks' channel counts.
    uint16_t GetChannelCount() override;
    uint32_t GetBitRate() override;
    uint64_t GetLength() override;
    uint64_t GetPosition() override;
    uint64_t SetPosition(uint64_t frame) override;
    uint32_t ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset) override;
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override;
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override;
    CMarker* GetMarker() override;
    bool HasReadFailed() override;

protected:
    size_t GetPartCount() const override;
    CAudioPlayerInput* GetPart(size_t index) const override;

private:
    // Reads every track into its output channels (read(track, channels,
    // channel count) -> frames delivered), then copies a lone mono channel to
    // channel 2 and silences the channels no track filled (fill(channel,
    // source) copies the read frames of source, or silences them when source
    // is null).
    template <class Sample, class Read, class Fill>
    uint32_t ReadTracks(Sample** out, std::vector<Sample*>& scratch, Read read, Fill fill);

    std::vector<std::unique_ptr<CTrackRead>> m_tracks;
    // Channel pointers handed to one track, one per channel of the track with
    // the most channels; pointed into the caller's buffers on every read.
    std::vector<int32_t*> m_scratchInt;
    std::vector<float*> m_scratchFloat;
    std::vector<uint8_t*> m_scratchDsd;
    uint16_t m_outputChannels = 2;
    uint32_t m_longestTrack = 0;
};
