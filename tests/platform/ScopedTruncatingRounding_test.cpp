#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "platform/fpu/ScopedTruncatingRounding.h"

TEST(ScopedTruncatingRounding, TruncatesForItsLifetimeThenRestores)
{
    volatile double value = 2.7;
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    {
        qm::platform::ScopedTruncatingRounding guard;
        EXPECT_EQ(std::fegetround(), FE_TOWARDZERO);
        EXPECT_EQ(std::nearbyint(value), 2.0);
        EXPECT_EQ(std::nearbyint(-value), -2.0);
    }
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    EXPECT_EQ(std::nearbyint(value), 3.0);
}
