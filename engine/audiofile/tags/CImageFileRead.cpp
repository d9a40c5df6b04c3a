#include "engine/audiofile/tags/CImageFileRead.h"

#include <algorithm>
#include <cstring>

#include "engine/audiofile/foundation/EngineText.h"
#include "engine/audiofile/foundation/FileNameHelpers.h"
#include "engine/audiofile/tags/CAudioFileAttachedPictureRead.h"

CImageFileReadBase::CImageFileReadBase() = default;

CImageFileReadBase::~CImageFileReadBase() = default;

void CImageFileReadBase::Close()
{
    m_data.clear();
    m_data.shrink_to_fit();
}

CStandardImageFileReadBase::CStandardImageFileReadBase() = default;

CStandardImageFileReadBase::~CStandardImageFileReadBase() = default;

void CStandardImageFileReadBase::Close()
{
    m_file.reset();
    CImageFileReadBase::Close();
}

int CStandardImageFileReadBase::OpenChecked(const char16_t* path, uint32_t signatureSize, bool (*check)(const uint8_t*))
{
    Close();
    auto file = std::make_unique<CBinaryFile64>(false);
    if (file->Open(path) < 0)
        return 2;
    uint8_t bytes[16] = {};
    if (file->Read(bytes, signatureSize) != signatureSize || !check(bytes))
        return 2;
    m_file = std::move(file);
    return 0;
}

uint32_t CStandardImageFileReadBase::GetDataSize()
{
    if (m_file == nullptr)
        return 0;
    return static_cast<uint32_t>(std::min<int64_t>(m_file->GetFileLength(), 0xFFFFFFFF));
}

uint32_t CStandardImageFileReadBase::Load()
{
    CImageFileReadBase::Close();
    const uint32_t size = GetDataSize();
    if (size == 0 || size > kMaxPictureBytes)
        return 0;
    m_data.resize(size);
    m_file->Seek(0, SEEK_SET);
    const uint32_t got = m_file->Read(m_data.data(), size);
    if (got == 0)
    {
        CImageFileReadBase::Close();
        return 0;
    }
    m_data.resize(got);
    return got;
}

int CJpegFileRead::Open(const char16_t* path)
{
    return OpenChecked(path, 10, &IsJpegSignature);
}

int CPngFileRead::Open(const char16_t* path)
{
    return OpenChecked(path, 4, &IsPngSignature);
}

namespace
{
template <typename Reader>
CImageFileReadBase* TryOpen(const char16_t* path)
{
    auto reader = std::make_unique<Reader>();
    return reader->Open(path) == 0 ? reader.release() : nullptr;
}
} // namespace

CImageFileReadBase* CreateImageFileRead(const char16_t* path)
{
    if (path == nullptr || path[0] == 0)
        return nullptr;
    if (CImageFileReadBase* reader = TryOpen<CAudioFileAttachedPictureRead>(path))
        return reader;

    std::u16string extension(std::char_traits<char16_t>::length(path) + 1, u'\0');
    GetFileExtension(extension.data(), path);
    std::u16string lower(extension.size(), u'\0');
    ToLowerWide(lower.data(), extension.c_str());
    lower.resize(std::char_traits<char16_t>::length(lower.c_str()));

    if (lower == u"jpg" || lower == u"jpeg" || lower.empty())
        if (CImageFileReadBase* reader = TryOpen<CJpegFileRead>(path))
            return reader;
    if (lower == u"png" || lower.empty())
        if (CImageFileReadBase* reader = TryOpen<CPngFileRead>(path))
            return reader;
    return nullptr;
}
