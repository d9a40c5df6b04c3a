#include "app/core/CBJXSingleton.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{
template <template <typename> class Base>
struct Counted : Base<Counted<Base>>
{
    static inline std::atomic<int> created{0};
    static inline std::atomic<int> destroyed{0};
    static inline std::atomic<int> alive{0};
    static inline std::atomic<int> mostAlive{0};

    Counted()
    {
        ++created;
        const int now = ++alive;
        int most = mostAlive.load();
        while (now > most && !mostAlive.compare_exchange_weak(most, now))
        {
        }
    }
    ~Counted() override
    {
        ++destroyed;
        --alive;
    }
};

template <typename T>
class SingletonCounting : public ::testing::Test
{
};
using SingletonKinds = ::testing::Types<Counted<CBJXSingleton>, Counted<CBfcSingleton>>;
TYPED_TEST_SUITE(SingletonCounting, SingletonKinds);
} // namespace

TYPED_TEST(SingletonCounting, LastReleaseDeletesAndExtraReleasesDoNothing)
{
    using T = TypeParam;
    const int created = T::created;
    const int destroyed = T::destroyed;

    T* first = T::GetInstance();
    T* second = T::GetInstance();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(T::created, created + 1);

    T::Release();
    EXPECT_EQ(T::destroyed, destroyed) << "one reference is still held";
    EXPECT_EQ(T::GetStoredInstance(), first);

    T::Release();
    EXPECT_EQ(T::destroyed, destroyed + 1);
    EXPECT_EQ(T::GetStoredInstance(), nullptr);

    T::Release(); // without a reference: nothing happens
    EXPECT_EQ(T::destroyed, destroyed + 1);

    // The stray release must not have left the count below zero: one
    // acquisition makes a new instance and one release deletes it.
    T::GetInstance();
    EXPECT_EQ(T::created, created + 2);
    T::Release();
    EXPECT_EQ(T::destroyed, destroyed + 2);
    EXPECT_EQ(T::GetStoredInstance(), nullptr);
}

TEST(CBJXSingleton, ConcurrentAcquireAndReleaseKeepOneInstance)
{
    using T = Counted<CBJXSingleton>;
    T::mostAlive = 0;
    std::vector<std::thread> threads;
    std::atomic<bool> mismatch{false};
    for (int t = 0; t < 8; ++t)
    {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i)
            {
                T* instance = T::GetInstance();
                if (instance == nullptr || T::GetStoredInstance() != instance)
                    mismatch = true;
                T::Release();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_FALSE(mismatch);
    EXPECT_EQ(T::mostAlive, 1);
    EXPECT_EQ(T::alive, 0);
    EXPECT_EQ(T::GetStoredInstance(), nullptr);
}
