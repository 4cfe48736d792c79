// The records of print.txt and the console lines at the end of a computation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "coltrans/completion_console.hpp"
#include "coltrans/result_file.hpp"

namespace coltrans {
namespace {

TEST(ResultRecord, FiftyColumnsWithTabs) {
    EXPECT_EQ(result_record(2.0, 10.0, 0.0), "    2.00000E+00\t    1.00000E+01\t  0.000000000E+000");
    EXPECT_EQ(result_record(1.0e100, 0.5, 1.0e100), "    1.00000+100\t    5.00000E-01\t  1.000000000E+100");
    EXPECT_EQ(result_record(0.25, 15.0, -1.234567890123e-5),
              "    2.50000E-01\t    1.50000E+01\t -1.234567890E-005");
    EXPECT_EQ(result_record(3.0, 1.0, 0.1).size(), 50U);
}

TEST(ResultRecord, ComputedValuesBelowTheNormalRangeAreWrittenAsZero) {
    constexpr double kSmallestNormal = std::numeric_limits<double>::min();
    const std::string zero = "  0.000000000E+000";
    EXPECT_EQ(result_record(1, 1, 3.5e-310).substr(32), zero);
    EXPECT_EQ(result_record(1, 1, -std::numeric_limits<double>::denorm_min()).substr(32), zero);
    EXPECT_EQ(result_record(1, 1, -0.0).substr(32), zero);
    EXPECT_EQ(result_record(1, 1, std::nextafter(kSmallestNormal, 0.0)).substr(32), zero);
    EXPECT_EQ(result_record(1, 1, kSmallestNormal).substr(32), "  2.225073859E-308");
    EXPECT_EQ(result_record(1, 1, -kSmallestNormal).substr(32), " -2.225073859E-308");
    EXPECT_TRUE(std::isnan(result_value_for_output(std::nan(""))));
    // The point's own values are written as they are.
    EXPECT_EQ(result_record(3.5e-310, 1, 1).substr(0, 15), "    3.50000-310");
}

TEST(ResultFile, HeadersOfBothTables) {
    const std::string underscores(73, '_');
    EXPECT_EQ(result_header_records(ResultTable::colloid),
              (std::array<std::string, 3>{
                  " Below the time t, the potiosion x or C, and the Concetration  C or C*,  can be seen ",
                  "    t (Time),      x (Lenght),     C (Concetration)", " " + underscores}));
    EXPECT_EQ(result_header_records(ResultTable::sorption),
              (std::array<std::string, 3>{" This is the sorbed concetration output. ",
                                          "    t (Time),      C (Solute Conce),     C* (adsorb Concet)",
                                          " " + underscores}));
}

TEST(CompletionConsole, TimeLineAndMarks) {
    EXPECT_EQ(time_record(1.5f), std::string(20, ' ') + "Total Time of Operations     1.500 Secs");
    EXPECT_EQ(time_record(0.0f).size(), 59U);
    testing::internal::CaptureStdout();
    write_completion_marks();
    write_time_line(12.25f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " 100\r\n 110\r\n" + std::string(20, ' ') + "Total Time of Operations    12.250 Secs\r\n");
}

}  // namespace
}  // namespace coltrans
