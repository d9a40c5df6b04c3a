#pragma once

#include <cstdint>
#include <vector>

#include "engine/audiofile/media/CMediaFileReadBase.h"

// Reads Windows Media files (WMA, and the audio of WMV) and MP3 files,
// decoded to 32-bit integer samples at the source rate. Accepts the first
// audio stream at 44100, 48000, 88200, 96000, 176400 or 192000 Hz with one
// or two channels. Texts come from the file's Windows Media attributes and,
// for every file, from ID3v2 and ID3v1 tags (MP3 files carry theirs there).
// On Linux the decoding runs on FFmpeg, through platform/media.
class CWindowsMediaFileRead : public CMediaFileReadBase
{
public:
    CWindowsMediaFileRead();
    ~CWindowsMediaFileRead() override;

    // 0 success, 2 the file cannot be opened as Windows Media or MP3,
    // 4 no usable audio stream.
    ReaderOpenResult Open(const char16_t* path) override;
    void Close() override;
    // "MP3", "WMA", or "" before a file is open.
    const char* GetFormatName() override;

    uint16_t GetBitsPerSample() override; // 16 or 24; 16 before open
    // The stream's bit rate; 128000 when the file does not say.
    uint32_t GetBitRate() override;
    bool IsLossless() override;
    bool IsVariableBitRate() override;

protected:
    // A Windows Media file's picture, read from its header by our own
    // attribute reader (any size); MP3 files have none here.
    std::vector<uint8_t> ContainerPicture() override;

private:
    enum class Container
    {
        None,
        Mp3,
        Asf,
    };
    enum class VbrState
    {
        Absent,
        True,
        False,
    };

    void ReadMetaData();

    Container m_container = Container::None;
    uint16_t m_bitsPerSample = 16;
    uint32_t m_bitRate = 0;
    bool m_lossless = false;
    VbrState m_isVbr = VbrState::Absent;
};
