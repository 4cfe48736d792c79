// A limit on the size of the files a process writes (ulimit -f): every program meets it as it meets
// a full disk, with the same messages, statuses and archive, never killed part way by the signal
// of the limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/input_files.hpp"
#include "tests/support/simulator_run.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::ProgramOptions;
using test_support::ProgramRun;
using test_support::read_file;
using test_support::RunLayout;
using test_support::write_file;

constexpr std::uint64_t kLimit = 4096;
const std::string kArchiveBeyondTheLimit = std::string(2 * kLimit, 'x') + "\r\n";

ProgramRun run_limited(const fs::path& program, const fs::path& cwd) {
    ProgramOptions options;
    options.executable = program;
    options.working_directory = cwd;
    options.file_size_limit = kLimit;
    options.timeout = std::chrono::seconds(60);
    return test_support::run_program(options);
}

TEST(FileSizeLimit, TheSimulatorTakesThePathsOfAFullDisk) {
    struct Case {
        std::string what;
        std::string input;
        bool archive_beyond_the_limit;
        int status;
        std::string out;  // a console record of the full-disk path, or empty
        std::string err;  // what the error stream names
    };
    const std::string sorption = e2e_inputs::linear_isotherm_settings() + "0 1\n1 2\n2 3\n";
    const std::vector<Case> cases = {
        {"results beyond the limit",
         e2e_inputs::ColloidSettings().text() + e2e_inputs::points_at(15, 200, 0.5), false, 2, "",
         "print.txt': File too large"},
        {"a colloid block beyond the limit", e2e_inputs::ColloidSettings().text() + "1 15\n", true, 1, "",
         "Total_Runs1.txt': File too large (message in fort.9)\r\nPAUSE"},
        {"a sorption block beyond the limit", sorption, true, 1,
         " Error found when writing the total runs file\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunLayout layout(c.input);
        const fs::path archive = layout.dir / "Saved_Simulations" / "Total_Runs1.txt";
        if (c.archive_beyond_the_limit) write_file(archive, kArchiveBeyondTheLimit);
        const ProgramRun run = run_limited(layout.run / "coltrans", layout.run);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        // As on a full disk, the archive gets no block.
        EXPECT_EQ(fs::exists(archive) ? read_file(archive) : "",
                  c.archive_beyond_the_limit ? kArchiveBeyondTheLimit : "");
    }
}

TEST(FileSizeLimit, TheGeneratorsTakeThePathsOfAFullDisk) {
    // Enough observations for an instruction file beyond the limit.
    std::string times = "t x\n";
    std::string data = "c w\n";
    for (int k = 1; k <= 400; ++k) {
        times += std::to_string(k) + " 30\n";
        data += "1.0E-6 1\n";
    }
    for (const std::string program : {"pestprep", "pestprep_keeplim"}) {
        SCOPED_TRACE(program);
        test_support::TempDir dir;
        fs::copy(fs::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run", dir.path(),
                 fs::copy_options::recursive);
        fs::copy_file(test_support::built_program(program), dir / program);
        write_file(dir / "SystemFiles" / "TimeAndCoords.txt", times);
        write_file(dir / "SystemFiles" / "ExpData.txt", data);
        const std::string control = read_file(dir / "tracer_fit.pst");
        const ProgramRun run = run_limited(dir / program, dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("print.ins': File too large"), std::string::npos) << run.err;
        EXPECT_EQ(read_file(dir / "tracer_fit.pst"), control);
    }
}

}  // namespace
