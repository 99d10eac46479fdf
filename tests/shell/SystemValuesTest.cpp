#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/Shell.h"

TEST(SystemValues, OsRandomFillsLargeBuffersCompletely) {
    // Larger than one getrandom call guarantees to deliver at once.
    std::vector<unsigned char> a(1 << 20, 0), b(1 << 20, 0);
    ASSERT_TRUE(platform::OsRandom(a.data(), a.size()));
    ASSERT_TRUE(platform::OsRandom(b.data(), b.size()));
    EXPECT_NE(a, b);
    // A short read would leave the zeros at the end in place.
    std::vector<unsigned char> tail(a.end() - 64, a.end());
    EXPECT_FALSE(std::all_of(tail.begin(), tail.end(), [](unsigned char c) { return c == 0; }));
    EXPECT_TRUE(platform::OsRandom(nullptr, 0));
}

TEST(SystemValues, CountersAdvanceTogether) {
    uint64_t frequency = platform::PerformanceFrequency();
    ASSERT_GT(frequency, 0u);
    uint64_t counter = platform::PerformanceCounter();
    uint32_t ticks = platform::TickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    uint64_t elapsedMs = (platform::PerformanceCounter() - counter) * 1000 / frequency;
    uint32_t elapsedTicks = platform::TickCount() - ticks;
    EXPECT_GE(elapsedMs, 50u);
    EXPECT_LT(elapsedMs, 5000u);
    EXPECT_GE(elapsedTicks + 1, 50u);
    EXPECT_LT(elapsedTicks, elapsedMs + 2);
}

TEST(SystemValues, ThreadAndProcessIdentity) {
    EXPECT_EQ(platform::CurrentProcessId(), static_cast<uint32_t>(getpid()));
    // The main thread's id is the process id; any other thread's differs.
    EXPECT_EQ(platform::CurrentThreadId(), platform::CurrentProcessId());
    uint32_t other = 0;
    std::thread([&] { other = platform::CurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, platform::CurrentThreadId());
}
