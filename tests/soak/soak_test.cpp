// A short soak run in every test run: random input for 20,000 ticks, the view in range throughout.
#include <gtest/gtest.h>

#include "tests/soak/soak_run.h"

namespace {

TEST(SoakTest, TwentyThousandTicksOfRandomInputKeepTheViewInRangeAndTheHeapFlat) {
    const SoakResult result = RunSoak(20000, 20240607);
    EXPECT_EQ(result.ticks, 20000);
    EXPECT_EQ(result.violations, 0) << result.firstViolation;
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(result.scriptRanOut);
    // Every kind of input ran many times, not only ticks.
    EXPECT_GT(result.steps, result.ticks + 5000);
    EXPECT_GT(result.messageBoxes, 50);
    EXPECT_GT(result.minimizations, 50);
    EXPECT_LE(result.heapAtEnd, result.heapAfterWarmUp + SOAK_HEAP_TOLERANCE_BYTES)
        << "after warm-up " << result.heapAfterWarmUp << " bytes, at the end " << result.heapAtEnd;
}

}  // namespace
