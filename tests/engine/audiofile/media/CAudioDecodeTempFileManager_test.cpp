#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "engine/audiofile/io/CPcmFileReadBase.h"
#include "engine/audiofile/media/CAudioDecodeTempFileManager.h"

namespace
{
// A reader whose preparation the test controls; it counts its deletions.
class PreparingReader : public CPcmFileReadBase
{
public:
    PreparingReader(bool preparing, std::atomic<int>& deleted)
        : m_preparing(preparing),
          m_deleted(deleted)
    {
    }
    ~PreparingReader() override { ++m_deleted; }

    void Finish() { m_preparing = false; }
    bool IsPreparing() override { return m_preparing; }

    ReaderOpenResult Open(const char16_t*) override { return ReaderOpenResult::Ok; }
    void Close() override {}
    const char* GetFormatName() override { return "TEST"; }
    void SetRange(uint64_t, uint64_t) override {}
    uint64_t GetRangeStart() override { return 0; }
    uint32_t GetSampleRate() override { return 44100; }
    uint16_t GetBitsPerSample() override { return 16; }
    uint16_t GetChannelCount() override { return 2; }
    uint64_t GetLength() override { return 0; }
    uint64_t GetPosition() override { return 0; }
    uint64_t SetPosition(uint64_t) override { return 0; }
    uint32_t ReadInt32(int32_t**, uint32_t, uint32_t) override { return 0; }
    uint32_t ReadFloat(float**, uint32_t, uint32_t) override { return 0; }

private:
    std::atomic<bool> m_preparing;
    std::atomic<int>& m_deleted;
};

TEST(CAudioDecodeTempFileManager, DeletesIdleReadersAtShutDownAndLeavesBusyOnes)
{
    std::atomic<int> deleted{0};
    CAudioDecodeTempFileManager* manager = CAudioDecodeTempFileManager::GetInstance();
    ASSERT_EQ(manager, CAudioDecodeTempFileManager::GetInstance());

    auto* finishesLater = new PreparingReader(true, deleted);
    auto* stillBusy = new PreparingReader(true, deleted);
    auto* idle = new PreparingReader(false, deleted);
    manager->AppendDeferredReader(finishesLater);
    manager->AppendDeferredReader(stillBusy);
    manager->AppendDeferredReader(idle);
    manager->AppendDeferredReader(nullptr);
    EXPECT_EQ(manager->GetDeferredReaderCount(), 3u);
    EXPECT_EQ(deleted, 0) << "nothing is deleted before shut-down";

    finishesLater->Finish();
    CAudioDecodeTempFileManager::DeleteTempFiles();
    EXPECT_EQ(deleted, 2);

    // The busy reader was left alone; it is still usable, and its memory is
    // the process's (here the test's) to free.
    EXPECT_TRUE(stillBusy->IsPreparing());
    delete stillBusy;

    // A later use makes a fresh, empty instance; shut-down with nothing handed
    // over only deletes it.
    EXPECT_EQ(CAudioDecodeTempFileManager::GetInstance()->GetDeferredReaderCount(), 0u);
    CAudioDecodeTempFileManager::DeleteTempFiles();
    CAudioDecodeTempFileManager::DeleteTempFiles();
}

TEST(CAudioDecodeTempFileManager, HandOversFromSeveralThreadsAreAllKept)
{
    std::atomic<int> deleted{0};
    constexpr int kThreads = 4;
    constexpr int kEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < kEach; ++i)
                CAudioDecodeTempFileManager::GetInstance()->AppendDeferredReader(new PreparingReader(false, deleted));
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(CAudioDecodeTempFileManager::GetInstance()->GetDeferredReaderCount(),
              static_cast<size_t>(kThreads * kEach));
    CAudioDecodeTempFileManager::DeleteTempFiles();
    EXPECT_EQ(deleted, kThreads * kEach);
}

} // namespace
