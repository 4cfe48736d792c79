// Programs killed part way, as a user, a calibration engine or the system may end them. Each run is
// traced and killed at one of its system calls that can change a file, at every such call in turn
// (or inside a write, cut short there, as a kill or a full disk in the middle of a write leaves a
// file); then the program runs again.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/input_files.hpp"
#include "tests/e2e/pestprep_run_directory.hpp"
#include "tests/support/simulator_run.hpp"
#include "tests/support/traced_run.hpp"

namespace {

namespace fs = std::filesystem;
using pestprep_e2e::RunDirectory;
using test_support::KillPoint;
using test_support::ProgramOptions;
using test_support::read_file;
using test_support::records_of;
using test_support::run_traced;
using test_support::RunLayout;
using test_support::TracedRun;
using test_support::tracing_available;
using test_support::write_file;

const fs::path kExample = fs::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run";

// The kills of a sweep over a run: before each call that can change a file, and within each write.
struct Kill {
    std::size_t call;
    KillPoint point;
};

std::vector<Kill> kills_over(const TracedRun& undisturbed) {
    std::vector<Kill> kills;
    for (std::size_t call = 1; call <= undisturbed.file_calls; ++call)
        kills.push_back({call, KillPoint::before_call});
#if defined(__x86_64__)
    for (const std::size_t call : undisturbed.writes) kills.push_back({call, KillPoint::within_write});
#endif
    return kills;
}

std::string described(const Kill& kill) {
    return "killed at call " + std::to_string(kill.call) +
           (kill.point == KillPoint::within_write ? ", within the write" : "");
}

// The calibration example grown to `observations` observations, with a control file that still
// lists `old_observations` of an earlier calibration: the rewrite takes many writes.
void install_large_calibration(const RunDirectory& run, int observations, int old_observations) {
    fs::copy(kExample, run.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::string exp = "C [g/cm^3]    weight [cm^3/g]\n";
    std::string coords = "t [hr]      x [cm]\n";
    for (int i = 1; i <= observations; ++i) {
        exp += std::to_string(1.0e-4 * (i % 17 + 1)) + "   " + std::to_string(1000 + i) + "\n";
        coords += std::to_string(0.01 * i) + "   30.0\n";
    }
    run.write("SystemFiles/ExpData.txt", exp);
    run.write("SystemFiles/TimeAndCoords.txt", coords);
    std::string control = read_file(kExample / "tracer_fit.pst");
    const std::size_t data = control.find('\n', control.find("* observation data")) + 1;
    const std::size_t command = control.find("* model command line");
    std::string old;
    for (int i = 1; i <= old_observations; ++i)
        old += "cn" + std::to_string(i) + "    1.0E-04   1.0    conc\n";
    run.write("tracer_fit.pst", control.substr(0, data) + old + control.substr(command));
}

ProgramOptions generator_options(const RunDirectory& run) {
    ProgramOptions options;
    options.executable = run / "pestprep";
    options.working_directory = run.path();
    return options;
}

// Entries of the run directory that the generator does not own: temporary files of a rewrite.
std::vector<std::string> strangers(const RunDirectory& run) {
    static const std::set<std::string> kOwn = {
        "pestprep",  "SystemFiles",    "tracer_fit.pst",         "print.ins",
        "input.tpl", "tracer_fit.rec", "tracer_fit_pst_temp.txt"};
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(run.path())) {
        const std::string name = entry.path().filename().string();
        if (!kOwn.contains(name)) names.push_back(name);
    }
    return names;
}

bool is_rewrite_temporary(const std::string& name) {
    const std::string prefix = "tracer_fit.pst.partial-";
    return name.size() == prefix.size() + 6 && name.starts_with(prefix);
}

TEST(KilledGenerator, TheControlFileIsTheOldOrTheNewOneAndTheNextRunCompletesIt) {
    if (!tracing_available()) GTEST_SKIP() << "this system does not let tests trace programs";
    constexpr int kObservations = 1000;
    constexpr int kOldObservations = 1500;

    RunDirectory reference;
    install_large_calibration(reference, kObservations, kOldObservations);
    const std::string old_file = reference.read("tracer_fit.pst");
    ASSERT_EQ(reference.run().status, 0);
    const std::string new_file = reference.read("tracer_fit.pst");
    ASSERT_NE(old_file, new_file);

    RunDirectory whole;
    install_large_calibration(whole, kObservations, kOldObservations);
    const TracedRun undisturbed = run_traced(generator_options(whole));
    ASSERT_EQ(undisturbed.status, 0);
    ASSERT_EQ(whole.read("tracer_fit.pst"), new_file);
    ASSERT_GT(undisturbed.file_calls, 20u);

    int kept_old = 0, became_new = 0, temporaries_left = 0, writes_cut = 0;
    for (const Kill& kill : kills_over(undisturbed)) {
        SCOPED_TRACE(described(kill));
        RunDirectory run;
        install_large_calibration(run, kObservations, kOldObservations);
        const TracedRun killed = run_traced(generator_options(run), kill.call, kill.point);
        ASSERT_TRUE(killed.killed);
        writes_cut += killed.write_cut ? 1 : 0;

        const std::string control = run.read("tracer_fit.pst");
        ASSERT_TRUE(control == old_file || control == new_file) << control.size() << " bytes";
        (control == old_file ? kept_old : became_new) += 1;
        const std::vector<std::string> left = strangers(run);
        ASSERT_LE(left.size(), 1u);
        for (const std::string& name : left) EXPECT_TRUE(is_rewrite_temporary(name)) << name;
        temporaries_left += static_cast<int>(left.size());

        // The next run rewrites the control file and removes what the killed one left.
        const test_support::ProgramRun again = run.run();
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(run.read("tracer_fit.pst"), new_file);
        EXPECT_TRUE(strangers(run).empty());
    }
    // The kills fell before, within and after the rewrite.
    EXPECT_GT(kept_old, 0);
    EXPECT_GT(became_new, 0);
    EXPECT_GT(temporaries_left, 0);
#if defined(__x86_64__)
    EXPECT_GT(writes_cut, 0);
#endif
}

// A simulator run whose archive block takes several writes.
struct SimulatorCase {
    std::string name;
    std::string input;
    std::size_t cpu_record;  // the block's CPU-time record, which differs from run to run
};

std::vector<SimulatorCase> simulator_cases() {
    e2e_inputs::ColloidSettings colloid;
    colloid.values[e2e_inputs::kKc] = "0";  // the closed form: quick to compute
    std::string series;
    for (int k = 0; k < 3000; ++k) series += std::to_string(k) + " " + std::to_string(1 + k % 7) + "\n";
    return {{"colloid", colloid.text() + e2e_inputs::points_at(15.0, 1200, 0.05), 4},
            {"sorption", e2e_inputs::linear_isotherm_settings() + series, 4}};
}

ProgramOptions simulator_options(const RunLayout& layout) {
    ProgramOptions options;
    options.executable = layout.run / "coltrans";
    options.working_directory = layout.run;
    return options;
}

// Whether the records are the block's records, from its start, but for the CPU-time record; the
// last one may be cut short.
bool is_start_of_block(const std::vector<std::string>& records, const std::vector<std::string>& block,
                       std::size_t cpu_record) {
    if (records.size() > block.size()) return false;
    for (std::size_t k = 0; k < records.size(); ++k) {
        if (k == cpu_record) continue;
        const bool last = k + 1 == records.size();
        const bool cut = last && (block[k].starts_with(records[k]) || records[k] == block[k] + "\r");
        if (records[k] != block[k] && !cut) return false;
    }
    return true;
}

TEST(KilledSimulator, TheArchiveKeepsWholeRecordsAndTheNextBlockIsWhole) {
    if (!tracing_available()) GTEST_SKIP() << "this system does not let tests trace programs";
    const std::string earlier = " \r\n \r\n ***New Simulation***\r\n earlier blocks\r\n";
    for (const SimulatorCase& c : simulator_cases()) {
        SCOPED_TRACE(c.name);
        RunLayout reference(c.input);
        ASSERT_EQ(reference.start().status, 0);
        const std::vector<std::string> block = records_of(reference.archive());
        ASSERT_GT(reference.archive().size(), std::size_t{2} << 16) << "the block must take several writes";

        RunLayout whole(c.input);
        const TracedRun undisturbed = run_traced(simulator_options(whole));
        ASSERT_EQ(undisturbed.status, 0);

        for (const Kill& kill : kills_over(undisturbed)) {
            SCOPED_TRACE(described(kill));
            RunLayout layout(c.input);
            const fs::path archive = layout.dir / "Saved_Simulations" / "Total_Runs1.txt";
            write_file(archive, earlier);
            ASSERT_TRUE(run_traced(simulator_options(layout), kill.call, kill.point).killed);

            // What the killed run left: the earlier blocks, then the start of its own block.
            const std::string left = read_file(archive);
            ASSERT_TRUE(left.starts_with(earlier));
            ASSERT_TRUE(is_start_of_block(records_of(left.substr(earlier.size())), block, c.cpu_record));

            // The next run appends a whole block of its own, beginning on a line of its own.
            ASSERT_EQ(layout.start().status, 0);
            const std::string after = read_file(archive);
            ASSERT_TRUE(after.starts_with(left));
            std::string appended = after.substr(left.size());
            if (!left.ends_with("\n")) {
                ASSERT_TRUE(appended.starts_with("\r\n"));
                appended.erase(0, 2);
            }
            const std::vector<std::string> next = records_of(appended);
            ASSERT_EQ(next.size(), block.size());
            EXPECT_TRUE(is_start_of_block(next, block, c.cpu_record));
            EXPECT_EQ(next.back(), block.back());
        }
    }
}

}  // namespace
