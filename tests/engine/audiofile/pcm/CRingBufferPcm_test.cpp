#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/audiofile/pcm/CRingBufferPcm.h"

namespace
{

constexpr uint32_t kCapacity = 262144;

// Two channel blocks whose samples count up from a start value (channel 1 is
// negated) so that order and channel mix-ups show.
struct Block
{
    std::vector<float> left, right;
    float* ptr[2];

    explicit Block(uint32_t frames, float start = 0.0f)
        : left(frames),
          right(frames)
    {
        for (uint32_t i = 0; i < frames; ++i)
        {
            left[i] = start + static_cast<float>(i);
            right[i] = -(start + static_cast<float>(i));
        }
        ptr[0] = left.data();
        ptr[1] = right.data();
    }
};

} // namespace

TEST(SimpleBufferPcm, ClampsChannelsAlignsAndZeroes)
{
    CSimpleBufferPcm buffer(3, 1000);
    EXPECT_EQ(buffer.GetChannels(), 2);
    EXPECT_EQ(buffer.GetFrames(), 1000u);
    for (uint16_t ch = 0; ch < 2; ++ch)
    {
        ASSERT_NE(buffer.GetChannel(ch), nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer.GetChannel(ch)) % 16, 0u);
        buffer.GetChannel(ch)[999] = 1.0f;
    }
    EXPECT_EQ(buffer.Clear(), 1000u);
    EXPECT_EQ(buffer.GetChannel(1)[999], 0.0f);

    CSimpleBufferPcm mono(1, 8);
    EXPECT_EQ(mono.GetChannels(), 1);
    EXPECT_EQ(mono.GetBuffers()[1], nullptr);
}

TEST(RingBufferPcm, FillAndFreeCounts)
{
    struct Case
    {
        uint32_t write;
        uint32_t read;
        uint32_t filled;
        uint32_t free;
    };
    const Case cases[] = {
        {0, 0, 0, kCapacity - 2},
        {kCapacity, 0, kCapacity - 2, 0}, // 2 frames dropped
        {kCapacity, 100, kCapacity - 102, 100},
        {1000, 1000, 0, kCapacity - 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "write " << c.write << " read " << c.read);
        CRingBufferPcm ring(2, kCapacity);
        Block in(c.write);
        ring.Write(in.ptr, c.write);
        Block out(c.read);
        EXPECT_EQ(ring.Read(out.ptr, c.read), c.read);
        EXPECT_EQ(ring.GetFilledFrames(), c.filled);
        EXPECT_EQ(ring.GetFreeFrames(), c.free);
        EXPECT_DOUBLE_EQ(ring.GetFillPercent(), c.filled / double(kCapacity) * 100.0);
    }
}

TEST(RingBufferPcm, WrapsAroundInOrder)
{
    CRingBufferPcm ring(2, 16);
    float next = 0.0f;
    float expected = 0.0f;
    // Uneven block sizes make the indices cross the end of the buffer at
    // different places.
    for (uint32_t frames : {5u, 11u, 3u, 14u, 7u, 9u, 13u})
    {
        const uint32_t room = ring.GetFreeFrames();
        Block in(frames, next);
        ring.Write(in.ptr, frames);
        next += static_cast<float>(std::min(frames, room));
        Block out(ring.GetFilledFrames());
        const uint32_t got = ring.Read(out.ptr, static_cast<uint32_t>(out.left.size()));
        for (uint32_t i = 0; i < got; ++i, expected += 1.0f)
        {
            ASSERT_EQ(out.left[i], expected);
            ASSERT_EQ(out.right[i], -expected);
        }
    }
    EXPECT_GT(expected, 32.0f);
}

TEST(RingBufferPcm, PartialReadZeroFillsTheRest)
{
    CRingBufferPcm ring(2, 1024);
    Block in(30, 1.0f);
    ring.Write(in.ptr, 30);
    Block out(100, 7.0f); // non-zero garbage
    EXPECT_EQ(ring.Read(out.ptr, 100), 30u);
    for (uint32_t i = 0; i < 100; ++i)
    {
        EXPECT_EQ(out.left[i], i < 30 ? 1.0f + static_cast<float>(i) : 0.0f) << i;
        EXPECT_EQ(out.right[i], i < 30 ? -(1.0f + static_cast<float>(i)) : 0.0f) << i;
    }
    // An empty ring delivers silence and 0.
    Block again(10, 7.0f);
    EXPECT_EQ(ring.Read(again.ptr, 10), 0u);
    EXPECT_EQ(again.left, std::vector<float>(10, 0.0f));
}

TEST(RingBufferPcm, NullDestinationChannelIsConsumed)
{
    CRingBufferPcm ring(2, 1024);
    Block in(50);
    ring.Write(in.ptr, 50);
    std::vector<float> left(20, 9.0f);
    float* dst[2] = {left.data(), nullptr};
    EXPECT_EQ(ring.Read(dst, 20), 20u);
    EXPECT_EQ(ring.GetFilledFrames(), 30u);
    Block out(30);
    ring.Read(out.ptr, 30);
    EXPECT_EQ(out.left[0], 20.0f);
    EXPECT_EQ(out.right[0], -20.0f);
}

TEST(RingBufferPcm, ClearEmptiesAndZeroes)
{
    CRingBufferPcm ring(1, 64);
    Block in(40, 1.0f);
    ring.Write(in.ptr, 40);
    EXPECT_EQ(ring.Clear(), 64u);
    EXPECT_EQ(ring.GetFilledFrames(), 0u);
    EXPECT_EQ(ring.GetFreeFrames(), 62u);
    EXPECT_EQ(ring.GetChannel(0)[5], 0.0f);
}

// One writer and one reader thread with no common lock: every frame arrives
// once and in order (the sanitizer build also checks the ordering).
TEST(RingBufferPcm, WriterAndReaderThreadsKeepOrder)
{
    constexpr uint32_t kTotal = 200000;
    CRingBufferPcm ring(2, 1024);
    std::thread writer([&] {
        uint32_t sent = 0;
        while (sent < kTotal)
        {
            const uint32_t n = std::min<uint32_t>({97, kTotal - sent, ring.GetFreeFrames()});
            if (n == 0)
            {
                std::this_thread::yield();
                continue;
            }
            Block in(n, static_cast<float>(sent));
            ring.Write(in.ptr, n);
            sent += n;
        }
    });
    uint32_t received = 0;
    bool inOrder = true;
    Block out(61);
    while (received < kTotal)
    {
        const uint32_t got = ring.Read(out.ptr, 61);
        for (uint32_t i = 0; i < got; ++i)
            inOrder = inOrder && out.left[i] == static_cast<float>(received + i) &&
                      out.right[i] == -static_cast<float>(received + i);
        received += got;
        if (got == 0)
            std::this_thread::yield();
    }
    writer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(received, kTotal);
}
