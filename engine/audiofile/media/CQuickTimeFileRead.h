#pragma once

#include <cstdint>

#include "engine/audiofile/media/CMediaFileReadBase.h"

// Reads AAC and Apple Lossless files (MP4/M4A, raw AAC) and MP3 files,
// decoded to 32-bit integer samples at the source rate. Accepts a file whose
// only stream (besides a cover) is audio with one or two channels at 44100,
// 48000, 88200, 96000, 176400 or 192000 Hz in AAC, ALAC or MP3. Texts come
// from the MP4 tags and, for every file, from ID3v2 and ID3v1 tags.
// On Linux the decoding runs on FFmpeg, through platform/media.
class CQuickTimeFileRead : public CMediaFileReadBase
{
public:
    CQuickTimeFileRead();
    ~CQuickTimeFileRead() override;

    // 0 success, 2 the file cannot be opened as MP4, AAC or MP3 (or its
    // decoder does not start), 3 its stream is not accepted.
    ReaderOpenResult Open(const char16_t* path) override;
    void Close() override;
    // "AAC", "ALAC", "MP3", or "" before a file is open.
    const char* GetFormatName() override;

    uint16_t GetBitsPerSample() override;
    // The stated bit rate, else the average over the file.
    uint32_t GetBitRate() override;
    bool IsLossless() override;
    bool IsVariableBitRate() override;

    // Whether the decoding this reader needs is available (the AAC decoder);
    // the factory only tries this reader when it is. Tests may override it.
    static bool IsAvailable();
    // -1: ask the libraries (default); 0: unavailable; 1: available.
    static void SetAvailabilityOverride(int state);

private:
    enum class Format
    {
        None,
        Aac,
        Alac,
        Mp3,
    };

    void ReadMetaData();

    Format m_format = Format::None;
    uint16_t m_bitsPerSample = 0;
    uint32_t m_statedBitRate = 0;
    int64_t m_fileSize = 0;
};
