#include "engine/audiofile/foundation/FileNameHelpers.h"

namespace
{

uint32_t CopyFrom(char16_t* dst, const char16_t* src)
{
    uint32_t n = 0;
    for (; src[n] != 0; ++n)
        dst[n] = src[n];
    dst[n] = 0;
    return n;
}

const char16_t* FileNameStart(const char16_t* path)
{
    const char16_t* name = path;
    for (const char16_t* p = path; *p != 0; ++p)
        if (*p == u'/')
            name = p + 1;
    return name;
}

} // namespace

uint32_t GetFileNameFromPath(char16_t* dst, const char16_t* path)
{
    return CopyFrom(dst, FileNameStart(path));
}

uint32_t GetFileExtension(char16_t* dst, const char16_t* path)
{
    const char16_t* extension = nullptr;
    for (const char16_t* p = FileNameStart(path); *p != 0; ++p)
        if (*p == u'.')
            extension = p + 1;
    if (extension == nullptr)
    {
        dst[0] = 0;
        return 0;
    }
    return CopyFrom(dst, extension);
}

bool IsPngSignature(const uint8_t* bytes)
{
    return bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
}

bool IsJpegSignature(const uint8_t* bytes)
{
    // Start of image, then any marker: JFIF (E0), Exif (E1), other APPn,
    // quantisation tables (DB), comments (FE), frame headers, or fill bytes.
    return bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF && bytes[3] >= 0xC0;
}
