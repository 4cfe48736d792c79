// The simulator fed what users and calibration engines may give it by mistake: empty and garbled
// files, endless lines, numbers that are not finite, parameters outside their domain, files it may
// not write, folders where files belong. Every run ends with a clear message and its exit status,
// within a bounded time, and no file that existed before is damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/file_snapshot.hpp"
#include "tests/e2e/input_files.hpp"
#include "tests/support/permissions.hpp"
#include "tests/support/simulator_run.hpp"

namespace {

namespace fs = std::filesystem;
using e2e_files::binary_garbage;
using e2e_files::changed_files;
using e2e_files::is_clear_diagnostic;
using e2e_files::snapshot;
using e2e_inputs::ColloidSettings;
using test_support::ProgramOptions;
using test_support::ProgramRun;
using test_support::read_file;
using test_support::records_of;
using test_support::RunLayout;
using test_support::write_file;

const std::string kPreviousResults = "previous results\r\n";
const std::string kEarlierBlocks = " \r\n \r\n ***New Simulation***\r\n earlier runs\r\n";
const std::string kPointFailure =
    " Error found during reading the  input.txt file and trying to get time and the potision of the point to "
    "be "
    "printed\r\n The system is Paused and will close\r\n";
const std::string kSorptionReadFailure =
    " Error found during the reading of Input.txt failed to get file size\r\n";
const std::vector<std::string> kNone;

// A user's run directory with the results and the archive of earlier runs.
struct Layout : RunLayout {
    explicit Layout(const std::string& input) : RunLayout(input) {
        write_file(run / "print.txt", kPreviousResults);
        write_file(archive_path(), kEarlierBlocks);
    }
    fs::path archive_path() const { return dir / "Saved_Simulations" / "Total_Runs1.txt"; }
    ProgramRun start_bound(bool permissions_bind = false) const {
        ProgramOptions options;
        options.executable = run / "coltrans";
        options.working_directory = run;
        options.timeout = std::chrono::seconds(60);
        options.permissions_bind = permissions_bind;
        return test_support::run_program(options);
    }
};

std::string colloid_input(const std::string& mode = "0") {
    ColloidSettings settings;
    settings.mode = mode;
    return settings.text() + "1 15\n5 15\n10 15\n";
}

std::string sorption_input() {
    return e2e_inputs::linear_isotherm_settings() + "0 1\n1 2\n2 3\n";
}

TEST(BadSimulatorInput, AnEmptyInputFileEndsWithTheDiagnosticNamingIt) {
    Layout layout("");
    const auto before = snapshot(layout.dir.path());
    const ProgramRun run = layout.start_bound();
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(run.err, "input.txt", "end of file")) << run.err;
    EXPECT_EQ(changed_files(before, snapshot(layout.dir.path())), kNone);
}

TEST(BadSimulatorInput, BinaryGarbageIsRejectedWithAReadableMessage) {
    const std::string garbage = binary_garbage(20000);
    // In place of the whole file: the mode cannot be read.
    Layout whole(garbage);
    auto before = snapshot(whole.dir.path());
    ProgramRun run = whole.start_bound();
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(run.err, "input.txt", "bad real number")) << run.err;
    EXPECT_EQ(changed_files(before, snapshot(whole.dir.path())), kNone);

    // In place of the point list of a colloid mode: the point failure, its pause, no result.
    Layout points(ColloidSettings().text() + garbage);
    before = snapshot(points.dir.path());
    run = points.start_bound();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(read_file(points.run / "fort.9"), kPointFailure);
    before["run/fort.9"] = kPointFailure;
    EXPECT_EQ(changed_files(before, snapshot(points.dir.path())), kNone);

    // In place of the measured series of the sorption mode: its read failure, no result.
    Layout series(e2e_inputs::linear_isotherm_settings() + garbage);
    before = snapshot(series.dir.path());
    run = series.start_bound();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find(kSorptionReadFailure), std::string::npos) << run.out;
    EXPECT_EQ(changed_files(before, snapshot(series.dir.path())), kNone);
}

// Each line of the text with `prefix` before it and `suffix` after it.
std::string each_line(const std::string& text, const std::string& prefix, const std::string& suffix) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        out += prefix + text.substr(start, end - start) + suffix + "\n";
    }
    return out;
}

TEST(BadSimulatorInput, LinesOf100000CharactersReadAsTheirValues) {
    const std::string comment = "   ! " + std::string(100000, 'c');
    const std::string blanks(100000, ' ');
    for (const std::string& plain : {colloid_input("0"), colloid_input("1"), sorption_input()}) {
        Layout reference(plain);
        ASSERT_EQ(reference.start_bound().status, 0);
        const std::string expected = reference.print_txt();
        for (const std::string& input : {each_line(plain, "", comment), each_line(plain, blanks, "")}) {
            Layout layout(input);
            const ProgramRun run = layout.start_bound();
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(layout.print_txt(), expected);
        }
    }
    // A word of 100 000 characters where the mode belongs: a diagnostic of a few lines.
    Layout word(std::string(100000, 'x') + "\n");
    const ProgramRun run = word.start_bound();
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(run.err, "input.txt", "(100000 characters)")) << run.err.size();
}

// The results of a run, by the point lines' order.
std::vector<std::string> result_records(const RunLayout& layout) {
    std::vector<std::string> records = records_of(layout.print_txt());
    records.erase(records.begin(), records.begin() + std::min<std::ptrdiff_t>(3, std::ssize(records)));
    return records;
}

// A run whose results are all written ends with status 0 when every result is a number, and
// otherwise with status 1 after the console names the first result that is not.
void expect_status_of_results(const ProgramRun& run, const RunLayout& layout) {
    bool not_finite = false;
    for (const std::string& record : result_records(layout)) {
        const std::string computed = record.substr(std::min<std::size_t>(record.size(), 32));
        not_finite = not_finite || computed.find("NaN") != std::string::npos ||
                     computed.find("Infinity") != std::string::npos;
    }
    EXPECT_EQ(run.status, not_finite ? 1 : 0) << run.err;
    EXPECT_EQ(run.out.find("is not a finite number") != std::string::npos, not_finite) << run.out;
}

TEST(BadSimulatorInput, NanAndInfinitiesAmongParametersAndPointsGiveAResultLineEach) {
    // Points that are not finite among finite ones: one result each, and the finite ones unchanged.
    const std::string bad_points = "NaN 15\ninf 15\n-inf 15\n5 NaN\n5 inf\n1e300 15\n-5 15\n";
    for (const std::string mode : {"0", "1"}) {
        SCOPED_TRACE("mode " + mode);
        Layout finite(colloid_input(mode));
        ASSERT_EQ(finite.start_bound().status, 0);
        ColloidSettings settings;
        settings.mode = mode;
        Layout mixed(settings.text() + "1 15\n" + bad_points + "5 15\n10 15\n");
        const ProgramRun run = mixed.start_bound();
        // Status 1 after the first result that is not a number: the first bad point's.
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(
            run.out.find(
                "Error found in the results: C =                       NaN at t =                       NaN"),
            std::string::npos)
            << run.out;
        const std::vector<std::string> expected = result_records(finite);
        const std::vector<std::string> results = result_records(mixed);
        ASSERT_EQ(results.size(), 10u);
        EXPECT_EQ(results.front(), expected[0]);
        EXPECT_EQ(results[8], expected[1]);
        EXPECT_EQ(results[9], expected[2]);
        EXPECT_EQ(results[1].substr(0, 16), "            NaN\t");

        // Parameters that are not finite: a result line for every point.
        for (const auto value : {e2e_inputs::kD, e2e_inputs::kKc, e2e_inputs::kLine7, e2e_inputs::kRh0}) {
            for (const std::string bad : {"NaN", "inf", "-inf"}) {
                settings.values = ColloidSettings().values;
                settings.values[static_cast<std::size_t>(value)] = bad;
                Layout layout(settings.text() + "1 15\n5 15\n10 15\n");
                const ProgramRun bad_run = layout.start_bound();
                EXPECT_FALSE(bad_run.timed_out);
                EXPECT_EQ(result_records(layout).size(), 3u);
                expect_status_of_results(bad_run, layout);
            }
        }
    }

    // The sorption mode: parameters and concentrations that are not finite give results; a time
    // that is not a number is a time that does not increase.
    const std::array<std::string, 9> pars = {"0.35", "0.02", "0.05", "0.010", "0", "0", "0", "0", "0"};
    Layout nan_series(e2e_inputs::sorption_settings("12", pars) + "0 10\n1 NaN\n2 inf\n3 8\n");
    const ProgramRun nan_series_run = nan_series.start_bound();
    EXPECT_EQ(result_records(nan_series).size(), 4u);
    expect_status_of_results(nan_series_run, nan_series);
    // A last time that is infinite: the integrator gives up on the last interval (its message on
    // the console), the results are written, and the run ends with status 1.
    Layout endless(e2e_inputs::sorption_settings("12", pars) + "0 10\n1 9\ninf 8\n");
    const ProgramRun endless_run = endless.start_bound();
    EXPECT_EQ(result_records(endless).size(), 3u);
    EXPECT_EQ(endless_run.status, 1);
    EXPECT_NE(endless_run.out.find("MXSTEP (=I1) steps"), std::string::npos) << endless_run.out;
    std::array<std::string, 9> nan_pars = pars;
    nan_pars[0] = "NaN";
    Layout nan_rate(e2e_inputs::sorption_settings("12", nan_pars) + "0 10\n1 9\n");
    const ProgramRun nan_rate_run = nan_rate.start_bound();
    EXPECT_EQ(result_records(nan_rate).size(), 2u);
    expect_status_of_results(nan_rate_run, nan_rate);
    Layout nan_time(e2e_inputs::sorption_settings("12", pars) + "0 10\nNaN 9\n2 8\n");
    const auto before = snapshot(nan_time.dir.path());
    const ProgramRun run = nan_time.start_bound();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("data line           2 has the time"), std::string::npos) << run.out;
    EXPECT_EQ(changed_files(before, snapshot(nan_time.dir.path())), kNone);
}

TEST(BadSimulatorInput, ParametersOutsideTheDomainEndInBoundedTime) {
    // D, A0 (the pulse time in the broad-pulse modes), Theta and rh0 at zero and below it: whatever
    // the formulas give, a result line for every point, within the time limit of the run.
    const std::string points = "0.5 15\n1 15\n5 15\n10 15\n50 15\n200 15\n";
    for (const std::string mode : {"0", "1"}) {
        for (const auto value : {e2e_inputs::kD, e2e_inputs::kLine7, e2e_inputs::kTheta, e2e_inputs::kRh0}) {
            for (const std::string bad : {"0", "-1", "-1.0E+30"}) {
                SCOPED_TRACE("mode " + mode + ", value " + std::to_string(value) + " = " + bad);
                ColloidSettings settings;
                settings.mode = mode;
                settings.values[static_cast<std::size_t>(value)] = bad;
                Layout layout(settings.text() + points);
                const ProgramRun run = layout.start_bound();
                EXPECT_FALSE(run.timed_out);
                EXPECT_EQ(result_records(layout).size(), 6u);
                expect_status_of_results(run, layout);
                EXPECT_EQ(records_of(read_file(layout.archive_path())).size(), 4u + 27u + 9u);
            }
        }
    }
}

TEST(BadSimulatorInput, AReadOnlyRunDirectory) {
    if (!test_support::permissions_can_bind())
        GTEST_SKIP() << "permissions cannot be made to bind the superuser here";
    constexpr auto kReadOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    // No results yet, and none can be created.
    Layout fresh(colloid_input());
    fs::remove(fresh.run / "print.txt");
    fs::permissions(fresh.run, kReadOnly);
    auto before = snapshot(fresh.dir.path());
    ProgramRun run = fresh.start_bound(true);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(run.err, "print.txt", "Permission denied")) << run.err;
    EXPECT_EQ(changed_files(before, snapshot(fresh.dir.path())), kNone);

    // Earlier results that may not be written either: they stay as they are.
    for (const std::string& input : {colloid_input(), sorption_input()}) {
        Layout locked(input);
        fs::permissions(locked.run / "print.txt", fs::perms::owner_read);
        fs::permissions(locked.run / "input.txt", fs::perms::owner_read);
        fs::permissions(locked.run, kReadOnly);
        before = snapshot(locked.dir.path());
        run = locked.start_bound(true);
        if (input == sorption_input()) {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.out.find(" Error found when writing the print.txt\r\n"), std::string::npos)
                << run.out;
        } else {
            EXPECT_EQ(run.status, 2);
            EXPECT_TRUE(is_clear_diagnostic(run.err, "print.txt", "Permission denied")) << run.err;
        }
        EXPECT_EQ(changed_files(before, snapshot(locked.dir.path())), kNone);
    }

    // Earlier results that may be written: the run completes, as the folder only forbids new files.
    Layout writable(colloid_input());
    fs::permissions(writable.run, kReadOnly);
    run = writable.start_bound(true);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(result_records(writable).size(), 3u);
}

TEST(BadSimulatorInput, ResultsThatCannotBeWrittenAppendNoBlock) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    // A full disk under print.txt: the colloid modes end with the diagnostic before the archive is
    // touched; the sorption mode reports it (its first result-file record has a handler).
    for (const std::string& input : {colloid_input("0"), colloid_input("1"), sorption_input()}) {
        Layout layout(input);
        fs::remove(layout.run / "print.txt");
        fs::create_symlink("/dev/full", layout.run / "print.txt");
        const auto before = snapshot(layout.dir.path());
        const ProgramRun run = layout.start_bound();
        if (input == sorption_input()) {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.out.find(" Error found when writing the print.txt\r\n"), std::string::npos)
                << run.out;
        } else {
            EXPECT_EQ(run.status, 2);
            EXPECT_TRUE(is_clear_diagnostic(run.err, "print.txt", "No space left on device")) << run.err;
        }
        EXPECT_EQ(changed_files(before, snapshot(layout.dir.path())), kNone);
    }
}

TEST(BadSimulatorInput, AnArchiveThatMayNotBeWrittenKeepsItsBlocks) {
    if (!test_support::permissions_can_bind())
        GTEST_SKIP() << "permissions cannot be made to bind the superuser here";
    // The archive itself read-only: the first record of the block fails, which has no handler; the
    // earlier blocks stay as they are, the results are complete.
    for (const std::string& input : {colloid_input("0"), sorption_input()}) {
        Layout layout(input);
        fs::permissions(layout.archive_path(), fs::perms::owner_read);
        const ProgramRun run = layout.start_bound(true);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(is_clear_diagnostic(run.err, layout.archive_path().string(), "Permission denied"))
            << run.err;
        EXPECT_EQ(read_file(layout.archive_path()), kEarlierBlocks);
        EXPECT_EQ(result_records(layout).size(), 3u);
    }
    // No archive yet in a folder that may not be written: the diagnostic names the archive and why.
    Layout layout(colloid_input());
    fs::remove(layout.archive_path());
    fs::permissions(layout.dir / "Saved_Simulations", fs::perms::owner_read | fs::perms::owner_exec);
    const ProgramRun run = layout.start_bound(true);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(is_clear_diagnostic(run.err, layout.archive_path().string(), "Permission denied")) << run.err;
    EXPECT_EQ(run.err.find("must exist"), std::string::npos) << "the folder exists";
    EXPECT_EQ(result_records(layout).size(), 3u);
}

TEST(BadSimulatorInput, AFolderWhereAFileBelongs) {
    struct Case {
        std::string input;
        std::string file;  // relative to the layout's folder
    };
    // fort.9 is needed by a colloid run with an unreadable point.
    const std::vector<Case> cases = {
        {colloid_input(), "run/input.txt"},
        {colloid_input(), "run/print.txt"},
        {sorption_input(), "run/print.txt"},
        {colloid_input(), "Saved_Simulations/Total_Runs1.txt"},
        {sorption_input(), "Saved_Simulations/Total_Runs1.txt"},
        {ColloidSettings().text() + "1 15\nx y\n", "run/fort.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Layout layout(c.input);
        fs::remove(layout.dir / c.file);
        fs::create_directories(layout.dir / c.file / "inside");
        const auto before = snapshot(layout.dir.path());
        const ProgramRun run = layout.start_bound();
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(is_clear_diagnostic(run.err, fs::path(c.file).filename().string(), "Is a directory"))
            << run.err;
        // With the archive in its place, the results are complete all the same.
        const std::vector<std::string> results_written = {"run/print.txt"};
        EXPECT_EQ(changed_files(before, snapshot(layout.dir.path())),
                  c.file.starts_with("Saved_Simulations") ? results_written : kNone);
        EXPECT_TRUE(fs::is_directory(layout.dir / c.file / "inside"));
    }
}

}  // namespace
