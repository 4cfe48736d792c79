// scripts/agents.sh: a parallel calibration laid out from the prepared calibration example, then
// run as a manager and its agents would run it, every agent's model runs at once; and the layouts
// it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/file_snapshot.hpp"
#include "tests/support/program_runner.hpp"
#include "tests/support/simulator_run.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::ProgramOptions;
using test_support::ProgramRun;
using test_support::read_file;

const fs::path kExample = fs::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run";
const fs::path kScript = fs::path(CT_SOURCE_DIR) / "scripts" / "agents.sh";
const std::vector<std::string> kModelFiles = {"coltrans", "tracer_fit.pst", "input.tpl", "print.ins"};

// <dir>/run: the calibration example after pestprep, with coltrans; <dir>/Saved_Simulations.
class PreparedRun {
  public:
    PreparedRun() {
        fs::copy(kExample, run(), fs::copy_options::recursive);
        fs::create_directories(dir_ / "Saved_Simulations");
        for (const char* program : {"pestprep", "coltrans"})
            fs::copy_file(test_support::built_program(program), run() / program);
        ProgramOptions options;
        options.executable = run() / "pestprep";
        options.working_directory = run();
        if (test_support::run_program(options).status != 0) ADD_FAILURE() << "pestprep failed";
    }

    fs::path run() const { return dir_ / "run"; }
    fs::path operator/(const std::string& name) const { return dir_ / name; }

    ProgramRun script(std::vector<std::string> arguments) const {
        ProgramOptions options;
        options.executable = "/bin/sh";
        options.argument0 = "sh";
        arguments.insert(arguments.begin(), kScript.string());
        options.arguments = arguments;
        options.working_directory = dir_.path();
        return test_support::run_program(options);
    }

  private:
    test_support::TempDir dir_;
};

// The emulated agents: "pest_emulator agents" over the folders.
ProgramRun run_agents(int runs, const std::vector<fs::path>& folders) {
    ProgramOptions options;
    options.executable = test_support::built_program("pest_emulator");
    options.arguments = {"agents", "tracer_fit.pst", std::to_string(runs)};
    for (const fs::path& folder : folders) options.arguments.push_back(folder.string());
    return test_support::run_program(options);
}

// The observation texts of each run that the emulator reports, in its order.
std::vector<std::vector<std::string>> reported_runs(const std::string& out) {
    std::vector<std::vector<std::string>> runs;
    for (const std::string& record : test_support::records_of(out)) {
        if (record.starts_with("run ")) {
            runs.emplace_back();
        } else if (!runs.empty()) {
            runs.back().push_back(record);
        }
    }
    return runs;
}

// The third number of a result line, without its blanks.
std::string third_number(const std::string& line) {
    std::string field = line.substr(line.find('\t', line.find('\t') + 1) + 1);
    field.erase(0, field.find_first_not_of(' '));
    field.erase(field.find_last_not_of(' ') + 1);
    return field;
}

TEST(AgentsScript, LaysOutManagerAndAgentsWhoseConcurrentRunsAreReadBackRight) {
    PreparedRun prepared;
    const ProgramRun laid_out =
        prepared.script({"--host", "column-lab", "--port", "4100", prepared.run().string(), "2",
                         (prepared / "parallel").string()});
    ASSERT_EQ(laid_out.status, 0) << laid_out.err;
    EXPECT_EQ(laid_out.err, "");
    const fs::path dest = fs::canonical(prepared / "parallel");
    EXPECT_NE(laid_out.out.find("  cd '" + (dest / "manager").string() +
                                "' && pestpp-glm tracer_fit.pst /h :4100 < /dev/null\n"),
              std::string::npos)
        << laid_out.out;
    for (const char* agent : {"agent1", "agent2"}) {
        EXPECT_NE(laid_out.out.find("  cd '" + (dest / agent).string() +
                                    "' && pestpp-glm tracer_fit.pst /h column-lab:4100 < /dev/null\n"),
                  std::string::npos)
            << laid_out.out;
        for (const std::string& file : kModelFiles)
            EXPECT_EQ(read_file(dest / agent / file), read_file(prepared.run() / file))
                << agent << " " << file;
    }
    EXPECT_EQ(e2e_files::snapshot(dest / "manager"),
              (e2e_files::Snapshot{{"input.tpl", read_file(prepared.run() / "input.tpl")},
                                   {"print.ins", read_file(prepared.run() / "print.ins")},
                                   {"tracer_fit.pst", read_file(prepared.run() / "tracer_fit.pst")}}));
    ASSERT_TRUE(fs::is_directory(dest / "Saved_Simulations"));

    // Three runs per agent, both agents at once, each started as the engine starts ./coltrans.
    constexpr int kRuns = 3;
    constexpr std::size_t kPoints = 40;
    const ProgramRun agents = run_agents(kRuns, {dest / "agent1", dest / "agent2"});
    ASSERT_EQ(agents.status, 0) << agents.err;
    const std::vector<std::vector<std::string>> reported = reported_runs(agents.out);
    ASSERT_EQ(reported.size(), 2u * kRuns);

    // Every block of the shared archive is whole: 27 records, then the 43 lines of its print.txt;
    // the observations of each run are the third numbers of one block's result lines.
    const std::vector<std::string> archive =
        test_support::records_of(read_file(dest / "Saved_Simulations" / "Total_Runs1.txt"));
    constexpr std::size_t kBlock = 27 + 3 + kPoints;
    ASSERT_EQ(archive.size(), reported.size() * kBlock);
    std::vector<std::vector<std::string>> archived;
    for (std::size_t start = 0; start < archive.size(); start += kBlock) {
        EXPECT_EQ(archive[start + 2], " ***New Simulation***");
        EXPECT_EQ(archive[start + 3], "          40");
        std::vector<std::string> block;
        for (std::size_t i = 0; i < kPoints; ++i) {
            const std::string& line = archive[start + 30 + i];
            EXPECT_EQ(line.size(), 200u);
            block.push_back("cn" + std::to_string(i + 1) + " " + third_number(line));
        }
        archived.push_back(block);
    }
    std::vector<std::vector<std::string>> expected = reported;
    std::sort(expected.begin(), expected.end());
    std::sort(archived.begin(), archived.end());
    EXPECT_EQ(archived, expected);
    // The runs differ, so no block can stand for another.
    EXPECT_EQ(std::adjacent_find(expected.begin(), expected.end()), expected.end());
}

TEST(AgentsScript, RefusesLayoutsItCannotMakeAndChangesNothing) {
    struct Case {
        std::string what;
        std::vector<std::string> arguments;  // after the run directory
        std::string removed;                 // from the run directory
        std::string message;
    };
    const std::vector<Case> cases{
        {"an agent folder exists", {"2"}, "", "agent2 exists already"},
        {"not prepared by pestprep",
         {"2", "fresh"},
         "print.ins",
         "has no print.ins: run pestprep there first"},
        {"no simulator", {"2", "fresh"}, "coltrans", "has no coltrans"},
        {"no number of agents", {"two", "fresh"}, "", "positive whole number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PreparedRun prepared;
        fs::create_directories(prepared / "agent2");
        if (!c.removed.empty()) fs::remove(prepared.run() / c.removed);
        std::vector<std::string> arguments{prepared.run().string()};
        for (const std::string& argument : c.arguments)
            arguments.push_back(argument == "fresh" ? (prepared / "fresh").string() : argument);
        const e2e_files::Snapshot before = e2e_files::snapshot(prepared / "");
        const ProgramRun result = prepared.script(arguments);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(e2e_files::changed_files(before, e2e_files::snapshot(prepared / "")),
                  std::vector<std::string>{});
        EXPECT_FALSE(fs::exists(prepared / "manager"));
        EXPECT_FALSE(fs::exists(prepared / "fresh"));
    }
}

TEST(AgentsScript, ABareModelCommandIsFlaggedAndCannotBeStarted) {
    // The engine starts the model without a shell: a bare name is looked for in PATH only.
    PreparedRun prepared;
    std::string control = read_file(prepared.run() / "tracer_fit.pst");
    control.replace(control.find("./coltrans"), 10, "coltrans");
    test_support::write_file(prepared.run() / "tracer_fit.pst", control);
    const ProgramRun laid_out = prepared.script({prepared.run().string(), "1"});
    EXPECT_EQ(laid_out.status, 0);
    EXPECT_NE(laid_out.err.find("warning: the model command of tracer_fit.pst is 'coltrans'"),
              std::string::npos)
        << laid_out.err;
    const ProgramRun agents = run_agents(1, {prepared / "agent1"});
    EXPECT_EQ(agents.status, 1);
    EXPECT_NE(agents.err.find("cannot start the model command 'coltrans'"), std::string::npos) << agents.err;
    EXPECT_FALSE(fs::exists(prepared / "agent1" / "print.txt"));
}

}  // namespace
