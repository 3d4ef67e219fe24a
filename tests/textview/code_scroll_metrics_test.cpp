#include "textview/code_scroll_metrics.h"

#include <gtest/gtest.h>

namespace kelvara::textview {
namespace {

TEST(CodeScrollMetrics, LargeRangesAreScaledToSixteenBits) {
    const ScrollBarFigures small = ComputeScrollBar(1024, 80, 10);
    EXPECT_FALSE(small.scaled);
    EXPECT_EQ(small.maximum, 1024);
    EXPECT_EQ(small.page, 80);
    EXPECT_EQ(small.position, 10);

    const ScrollBarFigures big = ComputeScrollBar(100000, 50, 50001);
    EXPECT_TRUE(big.scaled);
    EXPECT_EQ(big.maximum, 32767);
    EXPECT_EQ(big.page, 50 * 32767 / 100000);
    EXPECT_EQ(big.position, static_cast<int>(50001LL * 32767 / 100000));
    EXPECT_NEAR(PositionFromBar(big.position, 100000), 50001, 4);
    EXPECT_EQ(PositionFromBar(123, 5000), 123);
}

TEST(CodeScrollMetrics, WheelRemainderCarriesOver) {
    TWheelAccumulator wheel;
    EXPECT_EQ(wheel.TakeNotches(120), 1);
    EXPECT_EQ(wheel.TakeNotches(60), 0);
    EXPECT_EQ(wheel.TakeNotches(70), 1);  // 130: one notch, 10 left
    EXPECT_EQ(wheel.TakeNotches(-130), -1);
    EXPECT_EQ(wheel.TakeNotches(-240), -2);
}

}  // namespace
}  // namespace kelvara::textview
