#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/audiofile/io/CPcmFileReadBase.h"
#include "platform/media/MediaDecoder.h"

// The common part of the readers of compressed audio files (MP3, AAC, ALAC,
// WMA): the file decoded by the media decoding layer to left-aligned 32-bit
// integer samples at the source rate, read within a range, with exact
// positions. The concrete readers decide which files they accept and what
// they report about them.
class CMediaFileReadBase : public CPcmFileReadBase
{
public:
    CMediaFileReadBase();
    ~CMediaFileReadBase() override;

    uint32_t GetSampleRate() override;   // 44100 before a file is open
    uint16_t GetChannelCount() override; // 2 before a file is open
    void SetRange(uint64_t startFrame, uint64_t endFrame) override;
    uint64_t GetRangeStart() override;
    uint64_t GetLength() override;
    uint64_t GetPosition() override;
    uint64_t SetPosition(uint64_t frame) override;
    bool HasReadFailed() override;
    // Delivers min(frames, frames up to the range end); the rest of every
    // channel is silence. When the stream ends before the range end, the range
    // end moves to where it ended. Only a file that cannot be read sets the
    // read-failed flag; a damaged packet reads as silence of its length.
    uint32_t ReadInt32(int32_t** channels, uint32_t frames, uint32_t offset) override;
    uint32_t ReadFloat(float** channels, uint32_t frames, uint32_t offset) override;

    // The picture: from the file's ID3v2 tag when it came from there,
    // otherwise the container's attached picture.
    uint32_t GetPictureDataSize() override;
    int ReadPictureData(uint8_t* buffer, uint32_t size) override;

protected:
    // Opens the path as a file (so that it is the reader's path) and as
    // media. False when either fails; everything is closed then.
    bool OpenMedia(const char16_t* path);
    // Decodes the chosen audio stream; sets the full length and the range to
    // all of it, position 0. False when the stream has no decoder.
    bool StartDecoding(size_t audioStreamIndex);
    void CloseMedia();
    // The stream's whole length, whatever the range.
    uint64_t GetFullLength() const { return m_fullLength; }

    // Notes the picture found in the ID3v2 tag (size 0: none).
    void SetId3Picture(uint32_t size);
    // The container's picture, exactly as stored; empty when there is none.
    // At first the decoding layer's attached picture.
    virtual std::vector<uint8_t> ContainerPicture();
    // Takes the container's picture, unless the ID3 tag gave one:
    // stores its size and makes the reader's path the metadata's picture
    // path. True when it took one.
    bool TakeContainerPicture();
    // The metadata's date, and time, from the file's last-write time when
    // the date holds no year.
    void FillDateFromFileWhenMissing();
    // Stores UTF-8 text into a metadata field as wide text (cut to the field).
    void SetFieldUtf8(int field, const std::string& text);

    qm::platform::MediaDecoder m_media;
    uint32_t m_sampleRate = 0;
    uint16_t m_channelCount = 0;

private:
    // The reads of both sample types over the decoder, kept to the range.
    template <typename Sample>
    uint32_t ReadSamples(Sample** channels, uint32_t frames, uint32_t offset);

    // The reading thread moves these; other threads (a position display)
    // may read them at any time.
    std::atomic<uint64_t> m_fullLength{0};
    std::atomic<uint64_t> m_rangeStart{0};
    std::atomic<uint64_t> m_rangeEnd{0};
    std::atomic<uint64_t> m_position{0}; // absolute frame
    std::atomic<bool> m_readFailed{false};
    bool m_pictureFromId3 = false;
    uint32_t m_pictureSize = 0;
};
