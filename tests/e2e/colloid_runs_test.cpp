// The colloid modes of the simulator run as users and calibration engines run them: the program
// copied into a run directory with Saved_Simulations beside it, its files compared byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include "common/format.hpp"
#include "tests/support/program_runner.hpp"
#include "tests/support/simulator_run.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::built_program;
using test_support::contains_time_line;
using test_support::crlf_lines;
using test_support::is_fixed_field;
using test_support::is_time_line;
using test_support::kColloidHeader;
using test_support::kSeparatorLine;
using test_support::ProgramOptions;
using test_support::ProgramRun;
using test_support::read_file;
using test_support::records_of;
using test_support::run_program;
using test_support::RunLayout;
using test_support::TempDir;
using test_support::write_file;

const std::string kPauseText =
    "PAUSE \r\nTo resume execution, type go.  Other input will terminate the job.\r\n";

// input.txt of a colloid mode: the mode, lines 2 to 11, line 15, then the point lines.
std::string colloid_input(const std::string& mode, const std::array<std::string, 10>& values,
                          const std::string& accuracy, const std::string& points) {
    std::string text = mode + "   ! SimMode\n";
    for (const std::string& value : values) text += value + "   ! setting\n";
    return text + "0\n0\ntitle\n" + accuracy + "   ! accuracy and pacing\nt x\n" + points;
}

const std::array<std::string, 10> kInstantValues = {"0.5",  "0.05", "0.01",  "0.002", "2.0",
                                                    "20.0", "0.35", "0.001", "1.0",   "1.7"};
const std::array<std::string, 10> kPulseValues = {"0.8", "0.03", "0.005",  "0.001", "3.0",
                                                  "2.0", "0.4",  "0.0005", "1.0",   "1.6"};

std::string points_at(double x, int count, double step) {
    std::ostringstream text;
    for (int k = 1; k <= count; ++k) text << k * step << "  " << x << "\n";
    return text.str();
}

std::string padded(std::string record) {
    record.resize(200, ' ');
    return record;
}

// The archive block that a colloid run appends, but for its CPU-time record, which is checked for
// its format only.
void expect_colloid_block(const std::vector<std::string>& block, int results, const std::string& mode_record,
                          const std::array<std::string_view, 10>& labels,
                          const std::array<double, 10>& values, const std::string& print_txt) {
    const std::vector<std::string> copies = records_of(print_txt);
    ASSERT_EQ(block.size(), 27 + copies.size());
    EXPECT_EQ(block[0], " ");
    EXPECT_EQ(block[1], " ");
    EXPECT_EQ(block[2], " ***New Simulation***");
    EXPECT_EQ(block[3], common::list_record({results}));
    EXPECT_TRUE(is_fixed_field(block[4], 12, 5)) << block[4];
    EXPECT_EQ(block[5], "  Simulation type, SimuMode");
    EXPECT_EQ(block[6], mode_record);
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(block[7 + 2 * k], common::list_record({labels[k]}));
        EXPECT_EQ(block[8 + 2 * k], common::list_record({values[k]}));
    }
    for (std::size_t k = 0; k < copies.size(); ++k) EXPECT_EQ(block[27 + k], padded(copies[k]));
}

constexpr std::array<std::string_view, 10> kInstantLabels = {
    " hydrodynamic dispersion coefficient [cm^2/hr], D",
    "clogging rate constant [1/hr],kc",
    "declogging rate constant [1/hr],kr",
    "inactivation constant of suspended viruses [1/hr], lamda",
    " average interstitial velocity [cm/hr], U",
    "Cross section Area,A0",
    "porosity [-], Theta",
    "! inactivation constant of adsorbed viruses [1/hr],lamdas",
    "source mass rate [gr/sec],mi",
    "bulk density of the solid matrix [g/cm^3],rh0"};

std::array<std::string_view, 10> pulse_labels() {
    std::array<std::string_view, 10> labels = kInstantLabels;
    labels[5] = " pulse time [hr],tp";
    labels[8] = "source concentration [g/cm^3],Conc0";
    return labels;
}

TEST(ColloidRun, InstantaneousInjectionFromEndToEnd) {
    RunLayout layout(colloid_input("0", kInstantValues, "1.0E-6 0.0 300 0", points_at(15.0, 50, 0.4)));
    write_file(layout.dir / "Saved_Simulations" / "Total_Runs1.txt", "earlier runs\r\n");
    const ProgramRun run = layout.start();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    // Console: the separator line, the eleven marks, 100 and 110, the time line.
    const std::string marks = " 10\r\n 20\r\n 30\r\n 40\r\n 50\r\n 60\r\n 70\r\n 80\r\n 90\r\n 95\r\n 99\r\n";
    ASSERT_EQ(run.out.substr(0, kSeparatorLine.size() + marks.size() + 12),
              kSeparatorLine + marks + " 100\r\n 110\r\n");
    EXPECT_TRUE(is_time_line(run.out.substr(kSeparatorLine.size() + marks.size() + 12))) << run.out;

    // print.txt: the header and one 50-column record per point, t and x as given.
    const std::string print_txt = layout.print_txt();
    const std::vector<std::string> records = records_of(print_txt);
    ASSERT_EQ(records.size(), 53U);
    EXPECT_EQ(print_txt.substr(0, kColloidHeader.size()), kColloidHeader);
    EXPECT_EQ(records[3].substr(0, 32), "    4.00000E-01\t    1.50000E+01\t");
    EXPECT_EQ(records[52].substr(0, 32), "    2.00000E+01\t    1.50000E+01\t");
    for (std::size_t k = 3; k < records.size(); ++k) EXPECT_EQ(records[k].size(), 50U);

    // The archive: what was there, then the block.
    const std::string archive = layout.archive();
    ASSERT_EQ(archive.substr(0, 14), "earlier runs\r\n");
    const std::vector<std::string> block = records_of(archive.substr(14));
    expect_colloid_block(block, 50, "   0.00000000    ", kInstantLabels,
                         {0.5, 0.05, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7}, print_txt);
    EXPECT_FALSE(fs::exists(layout.run / "fort.9"));
}

TEST(ColloidRun, BroadPulseArchivesItsOwnLabelsAndModesOfAFamilyAgree) {
    const std::string points = points_at(20.0, 12, 0.75);
    RunLayout first(colloid_input("1", kPulseValues, "2.3E-4 0.3 300 0", points));
    ASSERT_EQ(first.start().status, 0);
    RunLayout second(colloid_input("11", kPulseValues, "2.3E-4 0.3 300 0", points));
    ASSERT_EQ(second.start().status, 0);
    EXPECT_EQ(first.print_txt(), second.print_txt());
    const std::vector<std::string> block = records_of(second.archive());
    expect_colloid_block(block, 12, "   11.0000000    ", pulse_labels(),
                         {0.8, 0.03, 0.005, 0.001, 3.0, 2.0, 0.4, 0.0005, 1.0, 1.6}, second.print_txt());

    RunLayout even(colloid_input("0", kInstantValues, "2.3E-4 0.3 300 0", points));
    RunLayout ten(colloid_input("10", kInstantValues, "2.3E-4 0.3 300 0", points));
    ASSERT_EQ(even.start().status, 0);
    ASSERT_EQ(ten.start().status, 0);
    EXPECT_EQ(even.print_txt(), ten.print_txt());
}

TEST(ColloidRun, AnEmptyPointListWritesTheHeaderAndAnEmptyBlock) {
    RunLayout layout(colloid_input("4", kInstantValues, "1.0E-6 0.0 300 0", ""));
    const ProgramRun run = layout.start();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, kSeparatorLine.size() + 12), kSeparatorLine + " 100\r\n 110\r\n");
    EXPECT_EQ(layout.print_txt(), kColloidHeader);
    expect_colloid_block(records_of(layout.archive()), 0, "   4.00000000    ", kInstantLabels,
                         {0.5, 0.05, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7}, kColloidHeader);
}

TEST(ColloidRun, AMalformedPointLinePausesAndLeavesThePreviousResults) {
    const std::string input = colloid_input("1", kPulseValues, "1.0E-6 0.0 300 0", "1 20\n2 twenty\n3 20\n");
    const std::string fort9 =
        crlf_lines({" Error found during reading the  input.txt file and trying to get time and the "
                    "potision of the point to be printed",
                    " The system is Paused and will close"});
    for (const std::string answer : {"", "go\n", "stop\n"}) {
        RunLayout layout(input);
        write_file(layout.run / "print.txt", "previous results\r\n");
        const ProgramRun run = layout.start(answer);
        EXPECT_EQ(run.status, 1) << "answer " << answer;
        EXPECT_EQ(run.out, kSeparatorLine);
        // The error stream names the failure, its line and the line's text, before the pause.
        const std::string note =
            "coltrans: cannot read a point (t, x) from '" + (layout.run / "input.txt").string() +
            "', line 18 reads '2 twenty': bad real number 'twenty' (message in fort.9)\r\n";
        EXPECT_EQ(run.err, note + kPauseText + (answer == "go\n" ? "RESUMED\r\n" : ""));
        EXPECT_EQ(layout.print_txt(), "previous results\r\n");
        EXPECT_EQ(read_file(layout.run / "fort.9"), fort9);
        EXPECT_TRUE(fs::is_empty(layout.dir / "Saved_Simulations"));
    }
}

TEST(ColloidRun, AMissingArchiveFolderIsNamedAfterTheResultsAreComplete) {
    RunLayout layout(colloid_input("0", kInstantValues, "1.0E-6 0.0 300 0", points_at(15.0, 5, 2.0)), false);
    const ProgramRun run = layout.start();
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains_time_line(run.out)) << run.out;
    EXPECT_NE(run.err.find((layout.dir / "Saved_Simulations" / "Total_Runs1.txt").string()),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
    EXPECT_EQ(records_of(layout.print_txt()).size(), 8U);
    EXPECT_FALSE(fs::exists(layout.dir / "Saved_Simulations"));
}

TEST(ColloidRun, AnArchiveThatCannotBeWrittenPausesAfterTheResults) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (const std::string answer : {"", "go\n"}) {
        RunLayout layout(colloid_input("1", kPulseValues, "2.3E-4 0.3 300 0", points_at(20.0, 4, 2.0)));
        fs::create_symlink("/dev/full", layout.dir / "Saved_Simulations" / "Total_Runs1.txt");
        const ProgramRun run = layout.start(answer);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains_time_line(run.out)) << run.out;
        const std::string note = "coltrans: cannot append the results to the run archive '" +
                                 (layout.dir / "Saved_Simulations" / "Total_Runs1.txt").string() +
                                 "': No space left on device (message in fort.9)\r\n";
        EXPECT_EQ(run.err, note + kPauseText + (answer.empty() ? "" : "RESUMED\r\n"));
        EXPECT_EQ(records_of(layout.print_txt()).size(), 7U);
        EXPECT_EQ(read_file(layout.run / "fort.9"),
                  crlf_lines({" Error found during  appeneding data to the TotalRunsFile",
                              " The system is Paused and will close"}));
    }
}

TEST(ColloidRun, RelativeInvocationsArchiveBesideTheRunDirectory) {
    const std::string input = colloid_input("0", kInstantValues, "1.0E-6 0.0 300 0", points_at(15.0, 3, 2.0));
    // A calibration engine starting "./coltrans" in the run directory ...
    RunLayout here(input, true, "run1");
    ASSERT_EQ(here.start("", "./coltrans", here.run).status, 0);
    EXPECT_EQ(records_of(here.archive()).size(), 27U + 6U);
    // ... or "run1/coltrans" from the folder above it.
    RunLayout below(input, true, "run1");
    ASSERT_EQ(below.start("", "run1/coltrans", below.dir.path()).status, 0);
    EXPECT_EQ(records_of(below.archive()).size(), 27U + 6U);
    EXPECT_FALSE(fs::exists(below.run / "Saved_Simulations"));
}

TEST(ColloidRun, InvalidTolerancesPauseAndTheRunEndsAsAFailure) {
    const std::string input = colloid_input("0", kInstantValues, "-1 -1 300 0", points_at(15.0, 2, 5.0));
    RunLayout declined(input);
    const ProgramRun stopped = declined.start();
    EXPECT_EQ(stopped.status, 1);
    EXPECT_TRUE(fs::is_empty(declined.dir / "Saved_Simulations"));
    // The console says why it pauses before the prompt.
    const std::size_t prompt = stopped.err.find("PAUSE");
    EXPECT_LT(stopped.err.find("both accuracies are negative"), prompt) << stopped.err;

    RunLayout resumed(input);
    const ProgramRun run = resumed.start("go\ngo\n");
    EXPECT_EQ(run.status, 1) << run.err;
    // The results, of 0 integral, and the archive block are complete all the same.
    EXPECT_EQ(records_of(resumed.print_txt()).size(), 5U);
    EXPECT_EQ(records_of(resumed.archive()).size(), 27U + 5U);
    EXPECT_NE(read_file(resumed.run / "fort.9").find("the input is invalid"), std::string::npos);
}

TEST(ColloidRun, ConcurrentRunsAppendWholeBlocks) {
    // Sibling run directories share one archive; each run's block is long enough to take several
    // writes, so that blocks would interleave if they were not locked. The archive ends within a
    // record, as a run killed in the middle of a write leaves it.
    constexpr int kRuns = 50;
    constexpr int kPoints = 2000;
    constexpr std::size_t kBlock = 27 + 3 + kPoints;
    TempDir dir;
    fs::create_directories(dir / "Saved_Simulations");
    const std::string killed_run = " \r\n \r\n ***New Simulation***\r\n        2000\r\n     0.0";
    write_file(dir / "Saved_Simulations" / "Total_Runs1.txt", killed_run);
    std::vector<fs::path> runs;
    for (int k = 0; k < kRuns; ++k) {
        const fs::path run = dir / ("run" + std::to_string(k));
        fs::create_directories(run);
        fs::copy_file(built_program("coltrans"), run / "coltrans");
        std::array<std::string, 10> values = kInstantValues;
        values[1] = std::to_string(0);  // no clogging: the closed form, quick to compute
        values[8] = std::to_string(k + 1);
        write_file(run / "input.txt",
                   colloid_input("0", values, "1.0E-6 0.0 300 0", points_at(15.0, kPoints, 0.01)));
        runs.push_back(run);
    }
    std::vector<std::thread> threads;
    std::vector<int> statuses(kRuns, -1);
    for (int k = 0; k < kRuns; ++k) {
        threads.emplace_back([&, k] {
            ProgramOptions options;
            options.executable = runs[static_cast<std::size_t>(k)] / "coltrans";
            options.working_directory = runs[static_cast<std::size_t>(k)];
            statuses[static_cast<std::size_t>(k)] = run_program(options).status;
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int k = 0; k < kRuns; ++k) EXPECT_EQ(statuses[static_cast<std::size_t>(k)], 0) << k;

    // Every block is whole: 27 records and the 2003 records of its own print.txt, after the
    // incomplete record, which the first of them ended.
    const std::string text = read_file(dir / "Saved_Simulations" / "Total_Runs1.txt");
    ASSERT_TRUE(text.starts_with(killed_run + "\r\n"));
    const std::vector<std::string> archive = records_of(text.substr(killed_run.size() + 2));
    ASSERT_EQ(archive.size(), static_cast<std::size_t>(kRuns) * kBlock);
    std::vector<bool> seen(kRuns, false);
    for (std::size_t start = 0; start < archive.size(); start += kBlock) {
        const std::vector<std::string> block(archive.begin() + static_cast<std::ptrdiff_t>(start),
                                             archive.begin() + static_cast<std::ptrdiff_t>(start + kBlock));
        const int mi = static_cast<int>(std::stod(block[24]));
        ASSERT_GE(mi, 1);
        ASSERT_LE(mi, kRuns);
        EXPECT_FALSE(seen[static_cast<std::size_t>(mi - 1)]);
        seen[static_cast<std::size_t>(mi - 1)] = true;
        expect_colloid_block(block, kPoints, "   0.00000000    ", kInstantLabels,
                             {0.5, 0.0, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, static_cast<double>(mi), 1.7},
                             read_file(runs[static_cast<std::size_t>(mi - 1)] / "print.txt"));
    }
}

TEST(ColloidRun, ASecondRunInTheSameDirectoryWaitsForTheFirst) {
    // The first run pauses on a malformed point line and holds its run directory until the pause is
    // answered; a second run started meanwhile in the same directory waits for it, then runs whole.
    RunLayout layout(colloid_input("0", kInstantValues, "1.0E-6 0.0 300 0", "1 15\n2 fifteen\n"));
    int answers[2];
    ASSERT_EQ(::pipe2(answers, O_CLOEXEC), 0);
    ProgramOptions options;
    options.executable = layout.run / "coltrans";
    options.working_directory = layout.run;
    ProgramOptions first = options;
    first.input_descriptor = answers[0];
    ProgramRun first_run;
    std::thread first_thread([&] { first_run = run_program(first); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(layout.run / "fort.9") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(fs::exists(layout.run / "fort.9"));
    ::close(answers[0]);

    write_file(layout.run / "input.txt",
               colloid_input("0", kInstantValues, "1.0E-6 0.0 300 0", "1 15\n2 15\n"));
    std::atomic<bool> second_ended = false;
    ProgramRun second_run;
    std::thread second_thread([&] {
        second_run = run_program(options);
        second_ended = true;
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_FALSE(second_ended);
    EXPECT_FALSE(fs::exists(layout.run / "print.txt"));
    ::close(answers[1]);  // no answer: the first run ends
    first_thread.join();
    second_thread.join();
    EXPECT_EQ(first_run.status, 1);
    EXPECT_EQ(second_run.status, 0);
    EXPECT_NE(
        second_run.err.find("coltrans: waiting for the run in progress in '" + layout.run.string() + "'"),
        std::string::npos)
        << second_run.err;
    EXPECT_EQ(records_of(layout.print_txt()).size(), 5U);
    EXPECT_EQ(records_of(layout.archive()).size(), 27U + 5U);
}

TEST(ColloidRun, ResultsBelowTheNormalRangeAreWrittenAsZero) {
    // Early in the breakthrough the closed form passes through subnormal numbers: at t = 0.152 and
    // 0.1525 the result itself is one (about 8.3E-310 and 9.4E-309); at 0.153 it is normal again (the
    // formula's terms formed one by one lost 2 % there, 1.0620E-307).
    std::array<std::string, 10> values = kInstantValues;
    values[1] = std::to_string(0);
    RunLayout layout(colloid_input("0", values, "1.0E-6 0.0 300 0", "0.152 15\n0.1525 15\n0.153 15\n"));
    ASSERT_EQ(layout.start().status, 0);
    const std::vector<std::string> records = records_of(layout.print_txt());
    ASSERT_EQ(records.size(), 6U);
    EXPECT_EQ(records[3], "    1.52000E-01\t    1.50000E+01\t  0.000000000E+000");
    EXPECT_EQ(records[4], "    1.52500E-01\t    1.50000E+01\t  0.000000000E+000");
    EXPECT_EQ(records[5], "    1.53000E-01\t    1.50000E+01\t  1.040785450E-307");
}

}  // namespace
