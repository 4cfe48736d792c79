#include "coltrans/progress.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace coltrans {
namespace {

std::string marks_for(std::initializer_list<std::pair<int, int>> calls) {
    ProgressDisplay display;
    testing::internal::CaptureStdout();
    for (const auto& [current, total] : calls) display.displaycurrentprgress(current, total);
    return testing::internal::GetCapturedStdout();
}

TEST(ProgressDisplay, FiftyPointsShowEveryMarkOnceInOrder) {
    ProgressDisplay display;
    testing::internal::CaptureStdout();
    for (int current = 1; current <= 50; ++current) display.displaycurrentprgress(current, 50);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " 10\r\n 20\r\n 30\r\n 40\r\n 50\r\n 60\r\n 70\r\n 80\r\n 90\r\n 95\r\n 99\r\n");
}

TEST(ProgressDisplay, OnlyBandsThatACallFallsIntoAreShown) {
    EXPECT_EQ(marks_for({{1, 4}, {2, 4}, {3, 4}, {4, 4}}), " 30\r\n 60\r\n 80\r\n 99\r\n");
    EXPECT_EQ(marks_for({{1, 1}}), " 99\r\n");
    EXPECT_EQ(marks_for({{9, 90}}), " 20\r\n");
    // The sorption loop starts at the second point.
    EXPECT_EQ(marks_for({{2, 3}, {3, 3}}), " 70\r\n 99\r\n");
}

TEST(ProgressDisplay, EachMarkAtMostOnceEvenWhenABandComesBack) {
    EXPECT_EQ(marks_for({{1, 100}, {2, 100}, {50, 100}, {3, 100}, {15, 100}, {55, 100}}),
              " 10\r\n 60\r\n 20\r\n");
}

TEST(ProgressDisplay, NothingWhenThereIsNoPercentage) {
    EXPECT_EQ(marks_for({{0, 0}}), "");
    EXPECT_EQ(progress_band(std::numeric_limits<float>::quiet_NaN()), -1);
    EXPECT_EQ(progress_band(98.99f), 9);
    EXPECT_EQ(progress_band(99.0f), 10);
    EXPECT_EQ(progress_band(-5.0f), 0);
}

}  // namespace
}  // namespace coltrans
