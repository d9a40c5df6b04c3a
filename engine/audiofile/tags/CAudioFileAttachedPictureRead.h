#pragma once

#include <memory>

#include "engine/audiofile/io/CAudioFileReadBase.h"
#include "engine/audiofile/tags/CImageFileRead.h"

// The picture carried in the tag of an audio file, read through that file's
// reader.
class CAudioFileAttachedPictureRead : public CImageFileReadBase
{
public:
    // Makes the reader of an audio file that may carry a picture (the
    // reader factory's picture branch); null when no such reader opens it.
    using ReaderFactory = CAudioFileReadBase* (*)(const char16_t* path);

    CAudioFileAttachedPictureRead();
    ~CAudioFileAttachedPictureRead() override;

    // 0 when an audio reader opened the path, 2 otherwise.
    int Open(const char16_t* path) override;
    void Close() override;
    // The picture size the audio reader reports; 0 without a reader.
    uint32_t GetDataSize() override;
    uint32_t Load() override;

    // The factory Open uses; at first the reader factory's picture branch
    // (CreateAudioFileReaderForPicture). With null no audio file opens.
    static void SetReaderFactory(ReaderFactory factory);

private:
    std::unique_ptr<CAudioFileReadBase> m_reader;
};
