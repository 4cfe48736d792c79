// The stand-in for the calibration engine's file handling: values in marker widths, template
// filling and the instruction language, on small hand-made files.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/list_input.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/pest_emulation.hpp"

namespace {

using tools::fill_template;
using tools::follow_instructions;
using tools::marker_value_text;
using tools::Observation;

// The message of the std::runtime_error that `action` throws, or "" when it throws none.
template <typename Action>
std::string failure_of(Action action) {
    try {
        action();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

double read_back(const std::string& text) {
    double value = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(common::parse_real(text.substr(text.find_first_not_of(' ')), value)) << text;
    return value;
}

TEST(MarkerValues, FillTheWholeMarkerWithAsManyDigitsAsFit) {
    for (const double value : {1.5, -0.002, 12.0, 0.0, 2.3e-4, 6.02214076e23, -1.0 / 3.0}) {
        for (int width = 8; width <= 25; ++width) {
            const std::string text = marker_value_text(value, width);
            ASSERT_EQ(text.size(), static_cast<std::size_t>(width)) << value;
            // Two-digit exponent: width - 6 significant digits.
            EXPECT_LE(std::abs(read_back(text) - value), std::abs(value) * 0.5 * std::pow(10.0, 7 - width))
                << "'" << text << "'";
        }
    }
    EXPECT_EQ(marker_value_text(1.5, 16), " 1.500000000E+00");
    EXPECT_EQ(marker_value_text(-0.05, 17), "-5.0000000000E-02");
}

TEST(MarkerValues, ValuesThatNeedThreeDigitExponentsKeepTheirExponentLetter) {
    EXPECT_EQ(marker_value_text(1.0e-120, 16), " 1.00000000E-120");
    EXPECT_EQ(marker_value_text(-2.5e300, 17), "-2.500000000E+300");
    EXPECT_EQ(marker_value_text(-1.0e-100, 9), "-1.0E-100");
    // Rounding decides: at two significant digits the value becomes 1.0E+100, at ten it stays below.
    EXPECT_EQ(marker_value_text(9.9999999e99, 9), " 1.0E+100");
    EXPECT_EQ(marker_value_text(9.9999999e99, 16), " 9.999999900E+99");
    EXPECT_DOUBLE_EQ(read_back(marker_value_text(3.0e-150, 16)), 3.0e-150);
}

TEST(MarkerValues, NarrowMarkersAndValuesThatAreNotFiniteAreRefused) {
    EXPECT_NE(failure_of([] { marker_value_text(1.5, 7); }).find("too narrow"), std::string::npos);
    EXPECT_NE(failure_of([] { marker_value_text(1.0e-120, 8); }).find("too narrow"), std::string::npos);
    EXPECT_NE(failure_of([] { marker_value_text(std::numeric_limits<double>::quiet_NaN(), 16); }), "");
    EXPECT_NE(failure_of([] { marker_value_text(-std::numeric_limits<double>::infinity(), 16); }), "");
}

TEST(TemplateFilling, MarkersAreReplacedInTheirWidthsAndEverythingElseStays) {
    const std::vector<std::string> input = fill_template(
        {"ptf $", "$a        $\t! comment", "no markers, # and ! kept", "x$ B      $y$c           $z"},
        {{"a", 1.5}, {"b", -2.0}, {"c", 1.0e-120}});
    EXPECT_EQ(input, (std::vector<std::string>{" 1.5000E+00\t! comment", "no markers, # and ! kept",
                                               "x-2.000E+00y 1.000000E-120z"}));
}

TEST(TemplateFilling, BadTemplatesAreRefused) {
    const tools::ParameterValues values{{"a", 1.0}};
    const auto failure = [&](std::vector<std::string> records) {
        return failure_of([&] { fill_template(records, values); });
    };
    EXPECT_NE(failure({"#a        #"}).find("ptf"), std::string::npos);
    EXPECT_NE(failure({"ptf #", "#a        #", "#a    "}).find("template line 3: unclosed"),
              std::string::npos);
    EXPECT_NE(failure({"ptf #", "#b        #"}).find("no value for parameter b"), std::string::npos);
    EXPECT_NE(failure({"ptf #", "#a b      #"}), "");
    EXPECT_NE(failure({"ptf #", "#         #"}), "");
    EXPECT_NE(failure({"ptf #", "#a#"}).find("too narrow"), std::string::npos);
}

TEST(ParameterValueFiles, ValuesTimesScalePlusOffsetAndBadFilesRefused) {
    test_support::TempDir dir;
    const auto values_of = [&](std::string_view text) {
        test_support::write_file(dir / "case.par", text);
        return tools::model_input_values((dir / "case.par").string());
    };
    EXPECT_EQ(values_of("single point\r\n  dcx  1.5  1.0  0.0\r\n  Kirr  2.0E-02  -1.0  0.5\r\n\r\n"),
              (tools::ParameterValues{{"dcx", 1.5}, {"kirr", 0.48}}));
    EXPECT_EQ(values_of("double point\n r1 2.5D-03 1 0\n"), (tools::ParameterValues{{"r1", 2.5e-3}}));
    EXPECT_NE(failure_of([&] { values_of("pcf\n* control data\n"); }), "");
    EXPECT_NE(failure_of([&] { values_of("single point\n r1 x 1 0\n"); }).find("bad parameter line"),
              std::string::npos);
    EXPECT_NE(failure_of([&] { values_of("r1 1 1 0\n"); }).find("single point"), std::string::npos);
}

std::vector<std::pair<std::string, std::string>> named_texts(const std::vector<Observation>& observations) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const Observation& o : observations) out.emplace_back(o.name, o.text);
    return out;
}

TEST(Instructions, TheGeneratorsLinesReadTheThirdNumberOfEveryDataLine) {
    const std::vector<std::string> output{" heading", " t x C", " ____",
                                          "    2.00000E+00\t    3.00000E+01\t  7.531878326E-023",
                                          "    2.50000E+00\t    3.00000E+01\t -1.000000000E+100"};
    const auto observations =
        follow_instructions({"pif #", " l4\t!dum!\t!dum!\t!cn1!", " l1\t!dum!\t!dum!\t!CN2!"}, output);
    EXPECT_EQ(named_texts(observations), (std::vector<std::pair<std::string, std::string>>{
                                             {"cn1", "7.531878326E-023"}, {"cn2", "-1.000000000E+100"}}));
    EXPECT_EQ(observations[1].value, -1.0e100);
}

TEST(Instructions, MarkersWhitespaceTabsFixedColumnsAndContinuations) {
    const std::vector<std::string> output{"Model output", "RESULTS", "time  1.0  conc  2.5E-3  flow 7",
                                          "  12345678",   "a line",  "END total = 4.25",
                                          "8 9"};
    const auto observations =
        follow_instructions({"pif $", "$RESULTS$", "l1 w !time! $conc$ !conc! w w !flow!",
                             "l1 [fixed]3:5 t6 !rest!", "$total =$ !total!", "l1 !a!", "& !b!"},
                            output);
    EXPECT_EQ(named_texts(observations), (std::vector<std::pair<std::string, std::string>>{{"time", "1.0"},
                                                                                           {"conc", "2.5E-3"},
                                                                                           {"flow", "7"},
                                                                                           {"fixed", "123"},
                                                                                           {"rest", "5678"},
                                                                                           {"total", "4.25"},
                                                                                           {"a", "8"},
                                                                                           {"b", "9"}}));
    // A marker right after a line advance searches from the line advanced to.
    EXPECT_EQ(named_texts(follow_instructions({"pif $", "l2 $conc$ !c!"}, output)),
              (std::vector<std::pair<std::string, std::string>>{{"c", "2.5E-3"}}));
}

TEST(Instructions, FailuresNameTheInstructionLine) {
    const std::vector<std::string> output{" h1", " h2", " h3", " 1\t2\tword"};
    const auto failure = [&](std::vector<std::string> instructions) {
        return failure_of([&] { follow_instructions(instructions, output); });
    };
    EXPECT_NE(failure({"l4 !a!"}).find("pif"), std::string::npos);
    EXPECT_NE(failure({"pif #", "l1", "l4"}).find("instruction line 3: the output ends before line 5"),
              std::string::npos);
    EXPECT_NE(failure({"pif #", "#h9#"}).find("instruction line 2: marker 'h9' not found"),
              std::string::npos);
    EXPECT_NE(failure({"pif #", "l4 !a! !b! !c!"}).find("'word' on output line 4 is not a number"),
              std::string::npos);
    EXPECT_NE(failure({"pif #", "l4 !a! !b!", "l0 !c!"}).find("bad instruction l0"), std::string::npos);
    EXPECT_NE(failure({"pif #", "l4 !a!", "& !A!"}).find("observation a is read twice"), std::string::npos);
    EXPECT_NE(failure({"pif #", "!a!"}).find("begins with a line advance or a marker"), std::string::npos);
    EXPECT_NE(failure({"pif #", "l4 !a! !b! t20 !c!"}).find("no value left"), std::string::npos);
    EXPECT_NE(failure({"pif #", "l4 (s)1:3"}).find("unsupported instruction (s)1:3"), std::string::npos);
}

}  // namespace
