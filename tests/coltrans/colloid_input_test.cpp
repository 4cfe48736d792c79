// input.txt of the colloid modes: settings with comments and blank-line shifting, the two passes
// over the point list.
#include "coltrans/colloid_input.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "common/failure.hpp"
#include "tests/support/temp_dir.hpp"

namespace coltrans {
namespace {

using test_support::TempDir;
using test_support::write_file;

// Lines 1 to 16 with the given values of lines 1 to 11 and line 15; `comment` follows each value.
std::string settings_text(const std::vector<std::string>& values, const std::string& line15,
                          const std::string& comment = "") {
    std::string text;
    for (const std::string& value : values) text += value + comment + "\n";
    text += "skipped 12\nskipped 13\nrun_title and more words\n" + line15 + "\nt x\n";
    return text;
}

const std::vector<std::string> kValues = {"1",  "0.5",  "0.05",  "0.01", "0.002", "2.0",
                                          "20", "0.35", "0.001", "1.5",  "1.7"};

ColloidInput open_with(const TempDir& dir, const std::string& text) {
    write_file(dir / "input.txt", text);
    return ColloidInput((dir / "input.txt").string());
}

TEST(ColloidInput, SettingsReadTheSameWithAndWithoutComments) {
    TempDir dir;
    for (const std::string comment : {"", "   ! a comment, with commas and / slashes", "\t!x"}) {
        ColloidInput input =
            open_with(dir, settings_text(kValues, "2.3E-4  0.3  300  5 ! accuracy", comment));
        const ColloidSettings& s = input.settings();
        EXPECT_EQ(s.sim_mode, 1.0f);
        EXPECT_EQ(s.archived_values(),
                  (std::array<double, 10>{0.5, 0.05, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.5, 1.7}));
        EXPECT_EQ(s.errrel, 2.3e-4);
        EXPECT_EQ(s.errabs, 0.3);
        EXPECT_EQ(s.limit, 300);
    }
    // The template's line 15, three numbers and a comment, is enough for the model.
    EXPECT_EQ(open_with(dir, settings_text(kValues, "2.3E-4  0.3  300   !ERRREL2,ERRABS2 , limit"))
                  .settings()
                  .limit,
              300);
}

TEST(ColloidInput, ABlankSettingsLineShiftsTheLaterOnes) {
    TempDir dir;
    std::vector<std::string> values = kValues;
    values.insert(values.begin() + 2, "");  // blank line 3: kc comes from line 4, and so on
    ColloidInput input = open_with(dir, settings_text(values, "1e-6 0 50 0") + "1 10\n");
    const ColloidSettings& s = input.settings();
    EXPECT_EQ(s.kc, 0.05);
    EXPECT_EQ(s.rh0, 1.7);
    EXPECT_EQ(s.errrel, 1e-6);
    EXPECT_EQ(s.limit, 50);
    EXPECT_EQ(input.count_points(), 1);
    // The second pass skips sixteen records, so it meets the shifted line 16 as a point.
    ASSERT_TRUE(input.rewind_to_points());
    double t = 0.0;
    double x = 0.0;
    EXPECT_EQ(input.next_point(t, x), PointRead::unreadable);
}

TEST(ColloidInput, UnreadableSettingsEndTheProgram) {
    TempDir dir;
    std::vector<std::string> values = kValues;
    values[3] = "kr";
    EXPECT_THROW(open_with(dir, settings_text(values, "1e-6 0 50 0")), common::IoFailure);
    EXPECT_THROW(open_with(dir, settings_text(kValues, "1e-6 0 50.5 0")), common::IoFailure);
    EXPECT_THROW(open_with(dir, "0\n1\n2\n"), common::IoFailure);
    EXPECT_THROW(ColloidInput((dir / "missing.txt").string()), common::IoFailure);
}

TEST(ColloidInput, CountingPassThenPointByPoint) {
    TempDir dir;
    ColloidInput input = open_with(
        dir, settings_text(kValues, "1e-6 0 50 0") + "1 10\n\n   \n2.5, 12 ! comment\n3\n4 15\n7\n");
    // Blank lines are passed over; "3" and "4" form a pair; a last line with one number ends the list.
    EXPECT_EQ(input.count_points(), 3);
    ASSERT_TRUE(input.rewind_to_points());
    std::vector<std::pair<double, double>> points;
    double t = 0.0;
    double x = 0.0;
    PointRead read;
    while ((read = input.next_point(t, x)) == PointRead::point) points.emplace_back(t, x);
    EXPECT_EQ(read, PointRead::end);
    EXPECT_EQ(points, (std::vector<std::pair<double, double>>{{1, 10}, {2.5, 12}, {3, 4}}));
}

TEST(ColloidInput, AMalformedPairIsFoundByTheCountingPass) {
    TempDir dir;
    ColloidInput input = open_with(dir, settings_text(kValues, "1e-6 0 50 0") + "1 10\n2 x\n3 10\n");
    EXPECT_EQ(input.count_points(), std::nullopt);
    ColloidInput empty = open_with(dir, settings_text(kValues, "1e-6 0 50 0"));
    EXPECT_EQ(empty.count_points(), 0);
    ASSERT_TRUE(empty.rewind_to_points());
    double t = 0.0;
    double x = 0.0;
    EXPECT_EQ(empty.next_point(t, x), PointRead::end);
}

}  // namespace
}  // namespace coltrans
