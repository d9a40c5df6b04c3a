#include <gtest/gtest.h>

#include <pthread.h>

#include <thread>

#include "platform/thread/ThreadName.h"

using qm::platform::setCurrentThreadName;
using qm::platform::systemThreadName;

TEST(ThreadName, TheSystemKeepsFifteenBytes)
{
    struct Case
    {
        std::string name;
        std::string kept;
    };
    const Case cases[] = {
        {"Converter", "Converter"},
        {"File Export Session", "File Export Ses"},
        {"Normalize Gain Detect", "Normalize Gain "},
        // A character is never cut: "ü" takes bytes 14 and 15.
        {"Normalize Gainü", "Normalize Gain"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(systemThreadName(c.name), c.kept) << c.name;

    std::string seen;
    std::thread worker([&] {
        EXPECT_TRUE(setCurrentThreadName("Normalize Gain Detect"));
        char name[32] = {};
        pthread_getname_np(pthread_self(), name, sizeof(name));
        seen = name;
    });
    worker.join();
    EXPECT_EQ(seen, "Normalize Gain ");
}
