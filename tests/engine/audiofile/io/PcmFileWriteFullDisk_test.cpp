#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "engine/audiofile/aiff/CAiffFileWrite.h"
#include "engine/audiofile/wav/CWavFileWrite.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempFolder.h"

namespace
{
uint32_t writeRamp(CAudioRecorderOutput& writer, uint32_t frames)
{
    std::vector<int32_t> left(frames);
    std::vector<int32_t> right(frames);
    for (uint32_t i = 0; i < frames; ++i)
    {
        left[i] = static_cast<int32_t>(i * 0x10000u);
        right[i] = -left[i];
    }
    int32_t* channels[2] = {left.data(), right.data()};
    return writer.WriteInt32(channels, frames);
}
} // namespace

// A full disk (a file-size limit stands in for one) must reach the caller:
// writes past it are refused, and the close that cannot finish the file says so.
TEST(PcmFileWrite, AFullDiskIsReported)
{
    const struct
    {
        const char* name;
        std::function<std::unique_ptr<CAudioFileWriteBase>()> make;
        uint32_t headerBytes;
    } formats[] = {
        {"full.wav", [] { return std::make_unique<CWavFileWrite>(); }, 44},
        {"full.aif", [] { return std::make_unique<CAiffFileWrite>(); }, 54},
    };
    qm::test::TempFolder folder;
    for (const auto& format : formats)
    {
        SCOPED_TRACE(format.name);
        const auto writer = format.make();
        ASSERT_EQ(writer->Open(folder.file(format.name).u16string().c_str(), 44100, 16, 2, 0), WriterOpenResult::Ok);

        qm::test::ScopedFileSizeLimit limit(10000);
        ASSERT_TRUE(limit.isSet());
        const uint32_t accepted = writeRamp(*writer, 5000);
        const uint32_t afterwards = writeRamp(*writer, 100);
        const bool closed = writer->Close();
        limit.lift();

        EXPECT_LT(accepted, 5000u);
        EXPECT_LE(format.headerBytes + accepted * 4u, 10000u);
        EXPECT_EQ(afterwards, 0u);
        EXPECT_FALSE(closed);
    }
}
