#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

#include "engine/audiofile/aiff/CAiffFileRead.h"
#include "engine/audiofile/aiff/CAiffFileWrite.h"
#include "engine/audiofile/tags/CAudioFileAttachedPictureRead.h"
#include "engine/audiofile/tags/CImageFileRead.h"
#include "tests/engine/audiofile/IffBytes.h"
#include "tests/support/TempFolder.h"

using namespace qm::test;

namespace
{
const Bytes kJfif = {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F', 0, 1, 0xFF, 0xD9};
const Bytes kQuantisationFirst = {0xFF, 0xD8, 0xFF, 0xDB, 0, 0x43, 0, 1, 2, 3, 4, 0xFF, 0xD9};
const Bytes kPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};

enum class Kind
{
    None,
    Jpeg,
    Png,
    Audio
};

Kind kindOf(const CImageFileReadBase* reader)
{
    if (reader == nullptr)
        return Kind::None;
    if (dynamic_cast<const CJpegFileRead*>(reader))
        return Kind::Jpeg;
    if (dynamic_cast<const CPngFileRead*>(reader))
        return Kind::Png;
    return dynamic_cast<const CAudioFileAttachedPictureRead*>(reader) ? Kind::Audio : Kind::None;
}

// The reader factory's picture branch as far as it concerns this test: AIFF
// files only.
CAudioFileReadBase* OpenAiffForPicture(const char16_t* path)
{
    auto reader = std::make_unique<CAiffFileRead>();
    return reader->Open(path) == ReaderOpenResult::Ok ? reader.release() : nullptr;
}
} // namespace

TEST(CreateImageFileRead, PicksTheReaderByContentAndExtension)
{
    TempFolder folder;
    const struct
    {
        const char* name;
        Bytes bytes;
        Kind kind;
    } cases[] = {
        {"Cover.JPG", kJfif, Kind::Jpeg},
        {"cover.jpeg", kQuantisationFirst, Kind::Jpeg},
        {"cover.png", kPng, Kind::Png},
        {"cover", kPng, Kind::Png},
        {"cover2", kJfif, Kind::Jpeg},
        // A PNG named .jpg is refused as JPEG and never tried as PNG.
        {"png.jpg", kPng, Kind::None},
        {"jpeg.png", kJfif, Kind::None},
        {"cover.gif", bytesOf("GIF89a....."), Kind::None},
        {"cover.txt", kPng, Kind::None},
        {"empty.jpg", Bytes{}, Kind::None},
        {"short.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, Kind::None},
    };
    for (const auto& c : cases)
    {
        writeFile(folder.file(c.name), c.bytes);
        std::unique_ptr<CImageFileReadBase> reader(CreateImageFileRead(folder.file(c.name).u16string().c_str()));
        EXPECT_EQ(kindOf(reader.get()), c.kind) << c.name;
        if (reader != nullptr)
        {
            EXPECT_EQ(reader->GetDataSize(), c.bytes.size()) << c.name;
            ASSERT_EQ(reader->Load(), c.bytes.size()) << c.name;
            EXPECT_EQ(Bytes(reader->GetData(), reader->GetData() + reader->GetLoadedSize()), c.bytes) << c.name;
        }
    }
    EXPECT_EQ(CreateImageFileRead(u""), nullptr);
    EXPECT_EQ(CreateImageFileRead(folder.file("missing.png").u16string().c_str()), nullptr);
}

TEST(CreateImageFileRead, LoadRefusesEmptyAndHugeFiles)
{
    TempFolder folder;
    const auto path = folder.file("cover.png");
    writeFile(path, kPng);
    CPngFileRead reader;
    ASSERT_EQ(reader.Open(path.u16string().c_str()), 0);

    // Grown far past what a picture may take (sparse, so nothing is written).
    ASSERT_EQ(::truncate(path.c_str(), off_t(CImageFileReadBase::kMaxPictureBytes) + 1), 0);
    EXPECT_EQ(reader.GetDataSize(), CImageFileReadBase::kMaxPictureBytes + 1);
    EXPECT_EQ(reader.Load(), 0u);
    EXPECT_EQ(reader.GetData(), nullptr);

    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    EXPECT_EQ(reader.Load(), 0u);
    EXPECT_EQ(reader.GetData(), nullptr);
}

TEST(CreateImageFileRead, PictureOfAnAudioFile)
{
    TempFolder folder;
    writeFile(folder.file("cover.png"), kPng);
    const auto song = folder.file("song.aif");
    {
        CAiffFileWrite writer;
        ASSERT_EQ(writer.Open(song.u16string().c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
        ASSERT_TRUE(writer.GetMetaData()->SetPicturePath(folder.file("cover.png").u16string().c_str()));
        ASSERT_TRUE(writer.Close());
    }
    writeFile(folder.file("plain.aif"), readFile(song));
    const auto wav = folder.file("song.wav");
    writeFile(wav, riff("WAVE", {}));

    // Without the reader factory's picture branch no audio file opens.
    CAudioFileAttachedPictureRead::SetReaderFactory(nullptr);
    EXPECT_EQ(CreateImageFileRead(song.u16string().c_str()), nullptr);

    CAudioFileAttachedPictureRead::SetReaderFactory(&OpenAiffForPicture);
    std::unique_ptr<CImageFileReadBase> reader(CreateImageFileRead(song.u16string().c_str()));
    ASSERT_EQ(kindOf(reader.get()), Kind::Audio);
    EXPECT_EQ(reader->GetDataSize(), kPng.size());
    ASSERT_EQ(reader->Load(), kPng.size());
    EXPECT_EQ(Bytes(reader->GetData(), reader->GetData() + reader->GetLoadedSize()), kPng);
    EXPECT_EQ(CreateImageFileRead(wav.u16string().c_str()), nullptr);

    // The picture travels on: a file written with the audio file's path as its
    // picture carries the same bytes.
    const auto copy = folder.file("copy.aif");
    {
        CAiffFileWrite writer;
        ASSERT_EQ(writer.Open(copy.u16string().c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);
        ASSERT_TRUE(writer.GetMetaData()->SetPicturePath(song.u16string().c_str()));
        ASSERT_TRUE(writer.Close());
    }
    CAiffFileRead copied;
    ASSERT_EQ(copied.Open(copy.u16string().c_str()), ReaderOpenResult::Ok);
    Bytes picture(kPng.size());
    ASSERT_EQ(copied.GetPictureDataSize(), kPng.size());
    EXPECT_EQ(copied.ReadPictureData(picture.data(), uint32_t(picture.size())), int(kPng.size()));
    EXPECT_EQ(picture, kPng);
    CAudioFileAttachedPictureRead::SetReaderFactory(nullptr);
}
