// The sorption modes of the simulator run from end to end, files compared byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/support/simulator_run.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::crlf_lines;
using test_support::is_fixed_field;
using test_support::kSeparatorLine;
using test_support::kSorptionHeader;
using test_support::records_of;
using test_support::RunLayout;
using test_support::write_file;

const std::string kPreviousResults = "previous results\r\n";

// input.txt of a sorption mode: the type, par1 to par9 (missing ones 0), lines 11 to 16, then the
// data lines.
std::string sorption_input(const std::string& type, const std::string& pars, const std::string& tolerances,
                           const std::string& data, const std::string& line12 = "0") {
    std::string text = type;
    text += "   ! sorption type\n";
    std::istringstream given(pars);
    for (int k = 0; k < 9; ++k) {
        std::string value;
        if (!(given >> value)) value.assign(1, '0');
        text += value;
        text += "   ! Parameter\n";
    }
    for (const std::string& line :
         {std::string("batch"), line12, std::string("0"), std::string("description"),
          tolerances + "   ! tolerances", std::string("t_C")}) {
        text += line;
        text += '\n';
    }
    return text + data;
}

std::string closing(int lines) {
    const std::string count = std::to_string(lines);
    return " Everything finished with success. Lines found:  " + std::string(11 - count.size(), ' ') + count +
           "\r\n";
}

TEST(SorptionRun, LinearIsothermFromEndToEnd) {
    RunLayout layout(sorption_input("19", "2", "1.0E-6 1.0E-9 0 0", "0 1.5\n1 2.5\n2.5 0\n"));
    const auto run = layout.start();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::string results = crlf_lines({"    0.00000E+00\t    1.50000E+00\t  3.000000000E+000",
                                            "    1.00000E+00\t    2.50000E+00\t  5.000000000E+000",
                                            "    2.50000E+00\t    0.00000E+00\t  0.000000000E+000"});
    EXPECT_EQ(layout.print_txt(), kSorptionHeader + results);
    // No integration: no progress marks.
    EXPECT_EQ(run.out.substr(0, kSeparatorLine.size() + 12), kSeparatorLine + " 100\r\n 110\r\n");
    EXPECT_TRUE(run.out.ends_with(closing(3)));

    const std::vector<std::string> block = records_of(layout.archive());
    ASSERT_EQ(block.size(), 33u);
    EXPECT_TRUE(is_fixed_field(block[4], 12, 5)) << block[4];
    std::vector<std::string> expected = {" ",
                                         " ",
                                         " ***New Simulation***",
                                         "           3",
                                         block[4],
                                         "  Simulation type, SimuMode",
                                         "   19.0000000    ",
                                         " Parameter 1",
                                         "   2.0000000000000000     "};
    for (int k = 2; k <= 9; ++k) {
        expected.push_back(" Parameter " + std::to_string(k));
        expected.push_back("   0.0000000000000000     ");
    }
    // Future var1: the time of the last data line.
    expected.push_back(" Future var1");
    expected.push_back("   2.5000000000000000     ");
    for (const std::string& record : records_of(kSorptionHeader + results)) expected.push_back(record);
    EXPECT_EQ(block, expected);
}

TEST(SorptionRun, TypeCodesAreTruncatedAndTypesWithoutALawGiveZero) {
    const std::string data = "0 10\n1 8\n2 7\n";
    RunLayout twelve(sorption_input("12", "0.3 0.05 0.05 0.01", "1.0E-8 1.0E-10 0 0", data));
    RunLayout twelve_nine(sorption_input("12.9", "0.3 0.05 0.05 0.01", "1.0E-8 1.0E-10 0 0", data));
    ASSERT_EQ(twelve.start().status, 0);
    ASSERT_EQ(twelve_nine.start().status, 0);
    EXPECT_EQ(twelve.print_txt(), twelve_nine.print_txt());
    for (const char* type : {"11.5", "-1", "25"}) {
        RunLayout none(sorption_input(type, "0.3 0.05 0.05 0.01", "1.0E-8 1.0E-10 0 0", data));
        ASSERT_EQ(none.start().status, 0) << type;
        for (const std::string& record : records_of(none.print_txt())) {
            if (record.size() == 50) {
                EXPECT_TRUE(record.ends_with("  0.000000000E+000")) << type;
            }
        }
    }
}

TEST(SorptionRun, NoDataLineGivesTheHeaderAndAnEmptyBlock) {
    RunLayout layout(sorption_input("12", "1 1 1 1", "1.0E-6 1.0E-9 0 0", "", "7.5"));
    const auto run = layout.start();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(layout.print_txt(), kSorptionHeader);
    const std::vector<std::string> block = records_of(layout.archive());
    ASSERT_EQ(block.size(), 30u);
    EXPECT_EQ(block[3], "           0");
    EXPECT_EQ(block[26], "   7.5000000000000000     ");  // the line-12 value itself
    EXPECT_TRUE(run.out.ends_with(closing(0)));
}

// A run that fails leaves the previous print.txt and the archive as they were and ends with 1.
void expect_failed_run(const std::string& input, const std::string& message, int lines_found,
                       const std::string& expected_err = "") {
    RunLayout layout(input);
    write_file(layout.run / "print.txt", kPreviousResults);
    const auto run = layout.start();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kSeparatorLine + message + closing(lines_found));
    EXPECT_EQ(run.err, expected_err);
    EXPECT_EQ(layout.print_txt(), kPreviousResults);
    EXPECT_FALSE(fs::exists(layout.dir / "Saved_Simulations" / "Total_Runs1.txt"));
}

TEST(SorptionRun, UnreadableInputEndsTheRunWithoutResults) {
    const std::string first_pass = " Error found during the reading of Input.txt failed to get file size\r\n";
    expect_failed_run(sorption_input("12", "1 1 1 1", "1.0E-6 1.0E-9 0 0", "0 1\n1 x\n2 3\n"), first_pass, 0);
    expect_failed_run(sorption_input("12", "1 1 1 abc", "1.0E-6 1.0E-9 0 0", "0 1\n"), first_pass, 0);
    expect_failed_run(sorption_input("12", "1 1 1 1", "1.0E-6 1.0E-9 0 0", "0 1\n", "t12"), first_pass, 0);
}

TEST(SorptionRun, TimesThatDoNotIncreaseAreReported) {
    expect_failed_run(sorption_input("12", "1 1 1 1", "1.0E-6 1.0E-9 0 0", "0 1\n1 2\n1 3\n2 4\n"),
                      " Error found during the reading of Input.txt: data line           3 has the time"
                      "   1.0000000000000000      which is not greater than the time of the line before it:"
                      "   1.0000000000000000     \r\n",
                      4);
}

TEST(SorptionRun, AZeroAbsoluteToleranceAbortsInTheIntegrator) {
    RunLayout layout(sorption_input("12", "1 1 1 1", "1.0E-6 0 0 0", "0 1\n1 2\n2 3\n"));
    write_file(layout.run / "print.txt", kPreviousResults);
    const auto run = layout.start();
    EXPECT_EQ(run.status, 1);
    // Message texts are padded to 60 columns after the leading blank.
    const auto padded = [](std::string text) {
        text.resize(61, ' ');
        return text;
    };
    EXPECT_EQ(
        run.out,
        kSeparatorLine +
            crlf_lines({padded(" DLSODA-  EWT(I1) is R1 .le. 0.0"), "      In above message,  I1 =         1",
                        "      In above message,  R1 =  0.0000000000000D+00", " 70",
                        padded(" DLSODA-  ISTATE (=I1) illegal."), "      In above message,  I1 =        -3",
                        padded(" DLSODA-  Run aborted.. apparent infinite loop.")}));
    EXPECT_EQ(layout.print_txt(), kPreviousResults);
    EXPECT_FALSE(fs::exists(layout.dir / "Saved_Simulations" / "Total_Runs1.txt"));
}

TEST(SorptionRun, AZeroLangmuirDenominatorIsReportedAndTheResultsWritten) {
    RunLayout layout(sorption_input("21", "2 -0.5", "1.0E-6 1.0E-9 0 0", "0 1\n1 2\n2 4\n"));
    const auto run = layout.start();
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(" Error found during the numerical solution of the  Andsorption type asked\r\n"
                           " Error flag=          -1\r\n"),
              std::string::npos);
    const std::vector<std::string> print = records_of(layout.print_txt());
    ASSERT_EQ(print.size(), 6u);
    EXPECT_EQ(print[4], "    1.00000E+00\t    2.00000E+00\t  0.000000000E+000");
}

TEST(SorptionRun, WriteFailuresAreReported) {
    // print.txt that cannot be written: the message and the closing line, no archive block.
    RunLayout print_full(sorption_input("19", "2", "1.0E-6 1.0E-9 0 0", "0 1\n1 2\n"));
    fs::create_symlink("/dev/full", print_full.run / "print.txt");
    auto run = print_full.start();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kSeparatorLine + " Error found when writing the print.txt\r\n" + closing(2));
    EXPECT_FALSE(fs::exists(print_full.dir / "Saved_Simulations" / "Total_Runs1.txt"));

    // An archive that cannot take the results: the message, and the program stops at once.
    RunLayout archive_full(sorption_input("19", "2", "1.0E-6 1.0E-9 0 0", "0 1\n1 2\n"));
    fs::create_symlink("/dev/full", archive_full.dir / "Saved_Simulations" / "Total_Runs1.txt");
    run = archive_full.start();
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.ends_with(" Error found when writing the total runs file\r\n")) << run.out;
    EXPECT_EQ(records_of(archive_full.print_txt()).size(), 5u);
}

}  // namespace
