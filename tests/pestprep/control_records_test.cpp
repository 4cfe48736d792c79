// The records of the control file, column by column.
#include "pestprep/control_records.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "pestprep/observation_names.hpp"

namespace pestprep::creating_files {
namespace {

std::string field(std::string_view text) {
    std::string padded(text);
    padded.resize(kParameterFieldWidth, ' ');
    return padded;
}

ParameterFields fields_of(std::initializer_list<std::string_view> words) {
    ParameterFields fields;
    std::size_t k = 0;
    for (const std::string_view word : words) fields[k++] = field(word);
    return fields;
}

TEST(ChangeLimit, ChosenFromTheSignsOfTheBoundsAlone) {
    EXPECT_EQ(getrelatorfactor(-1.0, 1.0), field("relative"));
    EXPECT_EQ(getrelatorfactor(1.0, -1.0), field("relative"));
    EXPECT_EQ(getrelatorfactor(0.0, 1.0), field("factor"));
    EXPECT_EQ(getrelatorfactor(-2.0, -1.0), field("factor"));
    EXPECT_EQ(getrelatorfactor(1e-300, 1e300), field("factor"));
    // A product of the bounds would underflow to zero or overflow; the signs do not.
    EXPECT_EQ(getrelatorfactor(-1e-200, 1e-200), field("relative"));
    EXPECT_EQ(getrelatorfactor(-1e200, 1e200), field("relative"));
    EXPECT_EQ(getrelatorfactor(std::numeric_limits<double>::quiet_NaN(), 1.0), field("factor"));
    EXPECT_EQ(getrelatorfactor(-0.0, 1.0), field("factor"));
}

TEST(ControlNumbers, ThreeDigitExponentsKeepTheirLetter) {
    EXPECT_EQ(control_number(1.5), "  1.5000000E+00");
    EXPECT_EQ(control_number(-2.5e-3), " -2.5000000E-03");
    EXPECT_EQ(control_number(0.0), "  0.0000000E+00");
    EXPECT_EQ(control_number(1e99), "  1.0000000E+99");
    EXPECT_EQ(control_number(1e100), "  1.000000E+100");
    EXPECT_EQ(control_number(-1e100), " -1.000000E+100");
    EXPECT_EQ(control_number(2.5e-120), "  2.500000E-120");
    EXPECT_EQ(control_number(std::numeric_limits<double>::max()), "  1.797693E+308");
    EXPECT_EQ(control_number(std::numeric_limits<double>::denorm_min()), "  4.940656E-324");
    // Rounding may carry into a third exponent digit.
    EXPECT_EQ(control_number(9.99999999e99), "  1.000000E+100");
    EXPECT_EQ(control_number(9.99999999e-100), "  1.0000000E-99");
}

TEST(ControlNumbers, WeightsAreFixedPointWhileTheyFit) {
    EXPECT_EQ(control_weight(1.0), "      1.0000000");
    EXPECT_EQ(control_weight(0.0), "      0.0000000");
    EXPECT_EQ(control_weight(9999999.0), "9999999.0000000");
    EXPECT_EQ(control_weight(-999999.0), "-999999.0000000");
    // No room in F15.7: the same 15 columns in scientific form instead of asterisks.
    EXPECT_EQ(control_weight(1e7), "  1.0000000E+07");
    EXPECT_EQ(control_weight(9999999.99999999), "  1.0000000E+07");
    EXPECT_EQ(control_weight(-1e6), " -1.0000000E+06");
    EXPECT_EQ(control_weight(2e150), "  2.000000E+150");
}

TEST(CountsLine, FiveCountsWithTheNewObservationCount) {
    EXPECT_EQ(counts_line({12, 30, 12, 0, 1}, 48), "    12    48    12     0     1");
    EXPECT_EQ(counts_line({12, 30, 12, 0, 1}, 0), "    12     0    12     0     1");
}

TEST(ParameterLine, ColumnLayout) {
    const ParameterFields old =
        fields_of({"Kirr", "log", "relative", "0.1", "0", "9", "gKirr", "1.0", "0.0", "1"});
    const std::string line = parameter_line(old, kTransformNone, field("factor"), 0.03, 1e-5, 1.0);
    ASSERT_EQ(line.size(), 180u);
    EXPECT_EQ(line.substr(0, 10), "Kirr      ");
    EXPECT_EQ(line.substr(10, 10), "   none   ");
    EXPECT_EQ(line.substr(20, 20), field("factor"));
    EXPECT_EQ(line.substr(40, 3), "   ");
    EXPECT_EQ(line.substr(43, 15), "  3.0000000E-02");
    EXPECT_EQ(line.substr(58, 4), "    ");
    EXPECT_EQ(line.substr(62, 15), "  1.0000000E-05");
    EXPECT_EQ(line.substr(77, 4), "    ");
    EXPECT_EQ(line.substr(81, 15), "  1.0000000E+00");
    EXPECT_EQ(line.substr(96, 4), "    ");
    EXPECT_EQ(line.substr(100, 80), field("gKirr") + field("1.0") + field("0.0") + field("1"));
}

TEST(ParameterLine, LongNamesAreCutAndFullFieldsStayApart) {
    const ParameterFields old =
        fields_of({"TwelveChars1", "none", "factor", "1", "0", "2", "g2345678901234567890",
                   "s2345678901234567890", "o2345678901234567890", "d2345678901234567890"});
    const std::string line = parameter_line(old, kTransformFixed, field("relative"), 1.0, 0.0, 2.0);
    EXPECT_EQ(line.substr(0, 10), "TwelveChar");
    EXPECT_EQ(line.substr(10, 10), "  fixed   ");
    // A field that fills its 20 columns is followed by one blank, so the next run reads it apart
    // from the next field; the last field needs none.
    EXPECT_EQ(line.substr(100),
              "g2345678901234567890 s2345678901234567890 o2345678901234567890 d2345678901234567890");
}

TEST(ObservationLine, NameRightJustifiedInThirtyThreeColumns) {
    const std::string group = field("conc") + "          ";
    const std::string seventh = observation_line(7, 2.5e-4, 1.0, group);
    ASSERT_EQ(seventh.size(), 104u);
    EXPECT_EQ(seventh.substr(0, 30), std::string(30, ' '));
    EXPECT_EQ(seventh.substr(30, 3), "cn7");
    EXPECT_EQ(seventh.substr(33), "     2.5000000E-04         1.0000000     " + group);
    const std::string last = observation_line(120, 1e-100, 1e7, group);
    EXPECT_EQ(last.substr(0, 28), std::string(28, ' '));
    EXPECT_EQ(last.substr(28, 5), "cn120");
    EXPECT_EQ(last.substr(33), "     1.000000E-100     1.0000000E+07     " + group);
}

TEST(ObservationNames, DigitsWithoutBlanksOrLeadingZeros) {
    EXPECT_EQ(observation_name(1), "cn1");
    EXPECT_EQ(observation_name(120), "cn120");
    EXPECT_EQ(observation_name(99999999), "cn99999999");
}

TEST(HeadingTests, FirstLettersSideBySide) {
    EXPECT_TRUE(is_observation_groups_heading(line_buffer("* observation groups")));
    EXPECT_TRUE(is_observation_groups_heading(line_buffer("*observation groups")));
    EXPECT_FALSE(is_observation_groups_heading(line_buffer("* parameter data")));
    EXPECT_FALSE(is_observation_groups_heading(line_buffer("l2 Kirr")));
    EXPECT_FALSE(is_observation_groups_heading(line_buffer("* Observation groups")));
    // Only the first "o" counts: an earlier one elsewhere on the line hides the heading.
    EXPECT_FALSE(is_observation_groups_heading(line_buffer("# old * observation groups")));
    // Any heading that begins a word with "obs" passes, the observation-data heading too.
    EXPECT_TRUE(is_observation_groups_heading(line_buffer("* observation data")));
    // Only a line whose first non-blank character is "*" is a heading: no data line is taken for
    // one, however its letters fall.
    EXPECT_TRUE(is_observation_groups_heading(line_buffer(" \t* observation groups")));
    EXPECT_FALSE(is_observation_groups_heading(line_buffer("bs")));
    EXPECT_FALSE(is_observation_groups_heading(line_buffer("observation groups")));
    EXPECT_FALSE(is_observation_groups_heading(line_buffer("obs_late  1.0  1.0  conc")));

    EXPECT_TRUE(is_command_line_heading(line_buffer("* model command line")));
    EXPECT_TRUE(is_command_line_heading(line_buffer(kCommandLineHeading)));
    EXPECT_FALSE(is_command_line_heading(line_buffer("* observation data")));
    EXPECT_TRUE(is_command_line_heading(line_buffer("* model input/output")));
    EXPECT_FALSE(is_command_line_heading(line_buffer("        cn1  1.0  1.0  conc")));
    EXPECT_FALSE(is_command_line_heading(line_buffer("# from model runs * model command line")));
    EXPECT_FALSE(is_command_line_heading(line_buffer("        cn1  1.0  1.0  model")));
    EXPECT_FALSE(is_command_line_heading(line_buffer("model")));
}

TEST(Transformations, LogInAnyCase) {
    EXPECT_TRUE(is_log_transformation("log"));
    EXPECT_TRUE(is_log_transformation("  LOG               "));
    EXPECT_TRUE(is_log_transformation("Log"));
    EXPECT_FALSE(is_log_transformation("none"));
    EXPECT_FALSE(is_log_transformation("logs"));
    EXPECT_FALSE(is_log_transformation(""));
    EXPECT_EQ(kTransformLog.size(), kTransformNone.size());
}

TEST(LineBuffer, FiveHundredColumns) {
    EXPECT_EQ(line_buffer("abc"), "abc" + std::string(497, ' '));
    EXPECT_EQ(line_buffer(std::string(600, 'x')), std::string(500, 'x'));
}

}  // namespace
}  // namespace pestprep::creating_files
