#include "engine/audiofile/tags/CAudioFileAttachedPictureRead.h"

#include <atomic>

#include "engine/audiofile/io/AudioFileReaderFactory.h"

namespace
{
std::atomic<CAudioFileAttachedPictureRead::ReaderFactory> g_readerFactory{&CreateAudioFileReaderForPicture};
} // namespace

CAudioFileAttachedPictureRead::CAudioFileAttachedPictureRead() = default;

CAudioFileAttachedPictureRead::~CAudioFileAttachedPictureRead()
{
    CAudioFileAttachedPictureRead::Close();
}

void CAudioFileAttachedPictureRead::SetReaderFactory(ReaderFactory factory)
{
    g_readerFactory = factory;
}

int CAudioFileAttachedPictureRead::Open(const char16_t* path)
{
    Close();
    const ReaderFactory factory = g_readerFactory;
    if (factory == nullptr || path == nullptr)
        return 2;
    m_reader.reset(factory(path));
    return m_reader != nullptr ? 0 : 2;
}

void CAudioFileAttachedPictureRead::Close()
{
    m_reader.reset();
    CImageFileReadBase::Close();
}

uint32_t CAudioFileAttachedPictureRead::GetDataSize()
{
    return m_reader != nullptr ? m_reader->GetPictureDataSize() : 0;
}

uint32_t CAudioFileAttachedPictureRead::Load()
{
    CImageFileReadBase::Close();
    const uint32_t size = GetDataSize();
    if (size == 0 || size > kMaxPictureBytes)
        return 0;
    m_data.resize(size);
    const int got = m_reader->ReadPictureData(m_data.data(), size);
    if (got <= 0)
    {
        CImageFileReadBase::Close();
        return 0;
    }
    m_data.resize(static_cast<uint32_t>(got));
    return static_cast<uint32_t>(got);
}
