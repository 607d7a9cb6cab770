// The runtime's generator draws every number of its range and nothing outside it.
#include "platform/runtime/Random.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Random, DrawsTheWholeRangeFromZeroToRangeLessOne)
{
    Randomize();
    std::vector<bool> seen(10, false);
    for (int draw = 0; draw < 2000; ++draw) {
        const int n = Random(10);
        ASSERT_GE(n, 0);
        ASSERT_LT(n, 10);
        seen[static_cast<size_t>(n)] = true;
    }
    for (bool s : seen)
        EXPECT_TRUE(s);
}

TEST(Random, FileNumbersStayWithin0And99999)
{
    Randomize();
    int largest = 0;
    for (int draw = 0; draw < 200000; ++draw) {
        const int n = Random(100000);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, 99999);
        largest = std::max(largest, n);
    }
    EXPECT_GE(largest, 99990);
}
