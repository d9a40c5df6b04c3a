#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/io/CComposedInput.h"
#include "engine/audiofile/song/CChannelGroupRead.h"
#include "engine/audiofile/song/CPlaylistSong.h"

// A whole song as one input stream: its sections read one after another, each
// through a channel-group reader that fills the output channels, so that a
// section boundary never shows as a gap. The marks are the song's own (seconds
// from the start of the song); the metadata is the first file's.
//
// The song reports at most as many channels as its output channel count (2):
// a section whose tracks hold more channels (a stereo track beside a mono one)
// keeps the first two, in track order, and its further channels are read
// nowhere.
class CSongRead : public CComposedInput
{
public:
    CSongRead();
    ~CSongRead() override;

    // Opens a channel-group reader per section. False (reader closed) when
    // the song is null, when a section fails to open (no track, a track
    // without segments, a file that cannot be opened, tracks or files that
    // disagree) or when two sections differ in sample rate. A song without
    // sections opens and reads as silence of length 0.
    bool Open(const CPlaylistSong* song);
    void Close();

    // Sets the output channel count to 2, here and in every open section, and
    // returns it; it holds for later opens too.
    uint16_t SetStereoOutput();

    // True when a song with at least one section is open (a reader per
    // section exists).
    bool HasChannelGroups() const { return !m_groups.empty(); }

    // The format name of the song's first file; empty when no song is open.
    std::string GetFormatName();

    // Divides the open song at a time (seconds from its start) into two new
    // songs: sections wholly before the time go to `first`, those wholly after
    // it to `second`, the section that holds it to both; the marks are split
    // likewise, those of `second` shifted so that the time becomes 0. Both
    // songs are cleared first.
    void SplitAt(CPlaylistSong* first, CPlaylistSong* second, double seconds);

    uint16_t GetChannelCount() override;
    uint64_t GetLength() override;
    uint64_t GetPosition() override;
    // A position at a section's end stays in that section; one beyond the
    // song's end goes to the last section, which clamps it to its length.
    uint64_t SetPosition(uint64_t frame) override;
    // The read operations take one channel pointer per output channel.
    uint32_t ReadDsd(uint8_t** channels, uint32_t bits, uint32_t bitOffset) override;
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override;
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override;
    bool HasReadFailed() override;

protected:
    size_t GetPartCount() const override;
    CAudioPlayerInput* GetPart(size_t index) const override;

private:
    std::vector<std::unique_ptr<CChannelGroupRead>> m_groups;
    uint32_t m_currentGroup = 0;
    uint16_t m_outputChannels = 2;
};
