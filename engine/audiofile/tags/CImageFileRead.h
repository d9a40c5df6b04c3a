#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/audiofile/foundation/CBinaryFile64.h"

// Turns a picture path into the picture's bytes exactly as stored (no
// decoding). The path names an image file (JPEG or PNG) or an audio file whose
// tag carries the picture.
class CImageFileReadBase
{
public:
    // Load reads no picture larger than this; a larger one is refused whole
    // rather than cut.
    static constexpr uint32_t kMaxPictureBytes = 64u << 20;

    CImageFileReadBase();
    virtual ~CImageFileReadBase();

    CImageFileReadBase(const CImageFileReadBase&) = delete;
    CImageFileReadBase& operator=(const CImageFileReadBase&) = delete;

    // 0 success, 2 failure.
    virtual int Open(const char16_t* path) = 0;
    // Frees what Open made and the loaded data.
    virtual void Close();
    // The size of the picture data in bytes.
    virtual uint32_t GetDataSize() = 0;
    // Loads the picture into the owned data; the number of bytes loaded, 0 on
    // failure (no data is kept then).
    virtual uint32_t Load() = 0;

    // The loaded bytes (null before a successful Load) and their count.
    const uint8_t* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
    uint32_t GetLoadedSize() const { return static_cast<uint32_t>(m_data.size()); }

protected:
    std::vector<uint8_t> m_data;
};

// An image file read whole from its start.
class CStandardImageFileReadBase : public CImageFileReadBase
{
public:
    CStandardImageFileReadBase();
    ~CStandardImageFileReadBase() override;

    void Close() override;
    // The file's size (0 when nothing is open; at most 0xFFFFFFFF).
    uint32_t GetDataSize() override;
    uint32_t Load() override;

protected:
    // Opens the file and checks its first signatureSize bytes with check;
    // 0 when they pass, 2 otherwise (the file is then closed).
    int OpenChecked(const char16_t* path, uint32_t signatureSize, bool (*check)(const uint8_t*));

    std::unique_ptr<CBinaryFile64> m_file;
};

// A JPEG file: opens when its first bytes are a start-of-image marker followed
// by another marker.
class CJpegFileRead : public CStandardImageFileReadBase
{
public:
    int Open(const char16_t* path) override;
};

// A PNG file: opens when bytes 1..3 are "PNG".
class CPngFileRead : public CStandardImageFileReadBase
{
public:
    int Open(const char16_t* path) override;
};

// The reader for a picture path, or null (the caller deletes it): first as an
// audio file carrying a picture, then by the extension (lower case): "jpg",
// "jpeg" or none as JPEG, "png" or none as PNG.
CImageFileReadBase* CreateImageFileRead(const char16_t* path);
