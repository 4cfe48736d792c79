// Every example under examples/ that has an expected/ folder, run as a user runs it: the generator
// first where the example has SystemFiles/ (then input.txt is written from the template with the
// control file's initial values, as the calibration engine would), then the simulator. Each file in
// expected/ must come out byte for byte: the generator's files, print.txt, the run archive
// Total_Runs1.txt and the console output console.txt, the last two with their CPU-time fields
// masked. A subfolder of expected/ holding accuracy.txt is the same example with input line 15
// replaced by that file's line, and its own expected files.
//
// Adding an example needs no C++: put its folder and its expected/ beside the others. With
// CT_UPDATE_EXPECTED=1 in the environment the test writes what the programs produce into expected/
// instead of comparing (review the difference before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_runner.hpp"
#include "tests/support/simulator_run.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/pest_emulation.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::read_file;
using test_support::records_of;

const fs::path kExamples = fs::path(CT_SOURCE_DIR) / "examples";
constexpr const char* kGeneratorFiles[] = {"input.tpl", "print.ins", "tracer_fit.pst"};

// The archive block's CPU seconds "(F12.5)", the record two after "***New Simulation***".
constexpr std::string_view kCpuMask = "     #.#####";
// The console time line's seconds "(F10.3)", columns 45 to 54 of the line.
constexpr std::string_view kTimeMask = "     #.###";

std::string join_records(const std::vector<std::string>& records) {
    std::string text;
    for (const std::string& record : records) text += record + "\r\n";
    return text;
}

std::string masked_archive(const std::string& archive) {
    std::vector<std::string> records = records_of(archive);
    for (std::size_t k = 0; k + 2 < records.size(); ++k) {
        if (records[k] == " ***New Simulation***") records[k + 2] = kCpuMask;
    }
    return join_records(records);
}

std::string masked_console(const std::string& out) {
    std::vector<std::string> records = records_of(out);
    for (std::string& record : records) {
        if (record.size() == 59 && test_support::is_time_line(record + "\r\n"))
            record.replace(44, 10, kTimeMask);
    }
    return join_records(records);
}

struct Case {
    std::string example;   // folder name under examples/
    fs::path expected;     // expected/ or one of its variant subfolders
    std::string accuracy;  // the replacement of input line 15, empty for none
};

std::vector<Case> all_cases() {
    std::vector<Case> cases;
    for (const auto& entry : fs::directory_iterator(kExamples)) {
        const fs::path expected = entry.path() / "expected";
        if (!fs::is_directory(expected)) continue;
        const std::string example = entry.path().filename().string();
        cases.push_back({example, expected, ""});
        for (const auto& variant : fs::directory_iterator(expected)) {
            if (fs::exists(variant.path() / "accuracy.txt")) {
                std::string line = read_file(variant.path() / "accuracy.txt");
                while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
                cases.push_back({example, variant.path(), line});
            }
        }
    }
    return cases;
}

std::string with_line15(std::string input, const std::string& line) {
    std::size_t start = 0;
    for (int k = 1; k < 15; ++k) start = input.find('\n', start) + 1;
    std::size_t end = input.find('\n', start);
    if (end > start && input[end - 1] == '\r') --end;
    return input.replace(start, end - start, line);
}

class Outcome {
  public:
    explicit Outcome(const Case& c) : case_(c), update_(std::getenv("CT_UPDATE_EXPECTED") != nullptr) {}

    void check(const std::string& name, const std::string& actual) const {
        const fs::path file = case_.expected / name;
        if (update_) {
            test_support::write_file(file, actual);
            return;
        }
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_EQ(actual, read_file(file)) << file;
    }

  private:
    const Case& case_;
    bool update_;
};

// Runs a built program copied into the run directory, from there, as a user does.
test_support::ProgramRun run_in(const fs::path& run, const std::string& program) {
    fs::copy_file(test_support::built_program(program), run / program);
    test_support::ProgramOptions options;
    options.executable = run / program;
    options.working_directory = run;
    return test_support::run_program(options);
}

TEST(Examples, GiveTheirExpectedResults) {
    const std::vector<Case> cases = all_cases();
    ASSERT_GE(cases.size(), 5u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.string());
        const Outcome outcome(c);
        test_support::TempDir dir;
        fs::copy(kExamples / c.example, dir.path(), fs::copy_options::recursive);
        fs::remove_all(dir / "expected");
        const fs::path run = dir / "run";

        if (fs::is_directory(run / "SystemFiles")) {
            const test_support::ProgramRun generated = run_in(run, "pestprep");
            ASSERT_EQ(generated.status, 0) << generated.err;
            for (const char* name : kGeneratorFiles) outcome.check(name, read_file(run / name));
            tools::write_model_input((run / "input.tpl").string(),
                                     tools::control_file_initial_values((run / "tracer_fit.pst").string()),
                                     (run / "input.txt").string());
        }
        if (!c.accuracy.empty()) {
            test_support::write_file(run / "input.txt",
                                     with_line15(read_file(run / "input.txt"), c.accuracy));
        }

        const test_support::ProgramRun simulated = run_in(run, "coltrans");
        ASSERT_EQ(simulated.status, 0) << simulated.err;
        EXPECT_EQ(simulated.err, "");
        outcome.check("print.txt", read_file(run / "print.txt"));
        outcome.check("Total_Runs1.txt",
                      masked_archive(read_file(dir / "Saved_Simulations" / "Total_Runs1.txt")));
        outcome.check("console.txt", masked_console(simulated.out));
    }
}

}  // namespace
