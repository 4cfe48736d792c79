// The calibration cycle without the calibration engine: the generator prepares the calibration
// example, then for a few parameter sets of each model family the test does what the engine does
// between model runs - fill the template into input.txt, run the simulator, read print.txt through
// the instruction file - and checks that the observations read back are the results in print.txt.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "tests/support/program_runner.hpp"
#include "tests/support/simulator_run.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/pest_emulation.hpp"

namespace {

namespace fs = std::filesystem;
using tools::Observation;
using tools::ParameterValues;

const fs::path kExample = fs::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run";

// The example's run directory in a temporary folder, with the archive folder beside it and the
// generator's files made by the real pestprep.
class CalibrationRun {
  public:
    CalibrationRun() : run_(dir_ / "run") {
        fs::copy(kExample, run_, fs::copy_options::recursive);
        fs::create_directories(dir_ / "Saved_Simulations");
        for (const char* program : {"pestprep", "coltrans"})
            fs::copy_file(test_support::built_program(program), run_ / program);
        const test_support::ProgramRun generator = start("pestprep");
        if (generator.status != 0)
            throw std::runtime_error("pestprep ended with status " + std::to_string(generator.status));
    }

    struct Cycle {
        test_support::ProgramRun simulator;
        std::vector<std::string> print_records;
        std::vector<Observation> observations;
    };

    // One model run as the engine makes it.
    Cycle cycle(const ParameterValues& values) const {
        tools::write_model_input(path("input.tpl"), values, path("input.txt"));
        Cycle result{start("coltrans"), {}, {}};
        result.print_records = tools::read_records(path("print.txt"));
        result.observations = tools::read_observations(path("print.ins"), path("print.txt"));
        return result;
    }

    ParameterValues initial_values() const {
        return tools::control_file_initial_values(path("tracer_fit.pst"));
    }

    // The observation names of the control file, in its order.
    std::vector<std::string> control_file_observations() const {
        const std::vector<std::string> records = tools::read_records(path("tracer_fit.pst"));
        std::vector<std::string> names;
        bool inside = false;
        for (const std::string& record : records) {
            const std::size_t first = record.find_first_not_of(' ');
            if (first == std::string::npos) continue;
            if (record[first] == '*') {
                inside = record.find("observation data") != std::string::npos;
                continue;
            }
            if (inside) names.push_back(record.substr(first, record.find(' ', first) - first));
        }
        return names;
    }

    std::string archive() const {
        return test_support::read_file(dir_ / "Saved_Simulations" / "Total_Runs1.txt");
    }

  private:
    std::string path(const char* name) const { return (run_ / name).string(); }

    test_support::ProgramRun start(const char* program) const {
        test_support::ProgramOptions options;
        options.executable = run_ / program;
        options.working_directory = run_;
        return test_support::run_program(options);
    }

    test_support::TempDir dir_;
    fs::path run_;
};

// The third of the tab-separated numbers of a result line, without the blanks that right-justify it.
std::string third_number(const std::string& line) {
    const std::size_t second_tab = line.find('\t', line.find('\t') + 1);
    if (second_tab == std::string::npos) return "";
    std::string field = line.substr(second_tab + 1);
    field.erase(0, field.find_first_not_of(' '));
    return field;
}

// What every cycle must give: a normal end, one result line per point, and the observations of
// the control file, in its order, each exactly the third number of its result line.
void expect_observations_are_the_results(const CalibrationRun::Cycle& cycle,
                                         const std::vector<std::string>& observation_names) {
    ASSERT_EQ(cycle.simulator.status, 0) << cycle.simulator.out << cycle.simulator.err;
    ASSERT_EQ(cycle.print_records.size(), 3 + observation_names.size());
    ASSERT_EQ(cycle.observations.size(), observation_names.size());
    for (std::size_t k = 0; k < observation_names.size(); ++k) {
        const Observation& observation = cycle.observations[k];
        EXPECT_EQ(observation.name, observation_names[k]);
        EXPECT_EQ(observation.text, third_number(cycle.print_records[3 + k])) << observation.name;
        EXPECT_TRUE(std::isfinite(observation.value)) << observation.name;
    }
}

std::vector<double> values_of(const std::vector<Observation>& observations) {
    std::vector<double> values;
    for (const Observation& o : observations) values.push_back(o.value);
    return values;
}

double largest(const std::vector<double>& values) {
    double top = -HUGE_VAL;
    for (const double v : values) top = std::max(top, v);
    return top;
}

constexpr std::size_t kPoints = 40;  // the example's sampling times

TEST(CalibrationCycle, BroadPulseRunsReadBackTheirResults) {
    CalibrationRun run;
    const std::vector<std::string> names = run.control_file_observations();
    ASSERT_EQ(names.size(), kPoints);
    EXPECT_EQ(names.front(), "cn1");
    EXPECT_EQ(names.back(), "cn40");

    ParameterValues values = run.initial_values();
    ASSERT_EQ(values.at("simmode"), 1.0);
    const CalibrationRun::Cycle first = run.cycle(values);
    expect_observations_are_the_results(first, names);
    EXPECT_EQ(first.print_records[0],
              " Below the time t, the potiosion x or C, and the Concetration  C or C*,  can be seen ");

    // A step of the estimation: faster water, stronger clogging.
    values["u"] = 5.0;
    values["r1"] = 0.2;
    values["kirr"] = values["l2"] = 0.01;
    const CalibrationRun::Cycle second = run.cycle(values);
    expect_observations_are_the_results(second, names);
    EXPECT_GT(largest(values_of(second.observations)), 0.0);
    EXPECT_NE(values_of(first.observations), values_of(second.observations));
}

TEST(CalibrationCycle, InstantaneousInjectionRunsReadBackTheirResults) {
    CalibrationRun run;
    const std::vector<std::string> names = run.control_file_observations();
    ParameterValues values = run.initial_values();
    values["simmode"] = 0.0;
    values["tp"] = values.at("a0");  // the pulse time's line holds the cross-section area here
    std::vector<double> previous;
    for (const double mass_rate : {1.0e-3, 2.0e-3}) {  // the source concentration's line: the mass rate
        values["c0"] = mass_rate;
        const CalibrationRun::Cycle cycle = run.cycle(values);
        expect_observations_are_the_results(cycle, names);
        const std::vector<double> results = values_of(cycle.observations);
        EXPECT_GT(largest(results), 0.0);
        EXPECT_NE(results, previous);
        previous = results;
    }
}

TEST(CalibrationCycle, SorptionRunsReadBackTheirResults) {
    CalibrationRun run;
    const std::vector<std::string> names = run.control_file_observations();
    ParameterValues values = run.initial_values();

    // Linear isotherm: C* = Parameter 1 times C, and C is the point list's second number, 30.
    values["simmode"] = 19.0;
    for (const double slope : {1.5, 0.25}) {
        values["dcx"] = slope;
        const CalibrationRun::Cycle cycle = run.cycle(values);
        expect_observations_are_the_results(cycle, names);
        EXPECT_EQ(cycle.print_records[0], " This is the sorbed concetration output. ");
        for (const Observation& o : cycle.observations) EXPECT_NEAR(o.value, 30.0 * slope, 1e-8) << o.name;
    }

    // Linear kinetic law from zero: C* rises toward Parameter 1 Parameter 3 C / (Parameter 4 Parameter 2).
    values["simmode"] = 12.0;
    const CalibrationRun::Cycle kinetic = run.cycle(values);
    expect_observations_are_the_results(kinetic, names);
    const std::vector<double> sorbed = values_of(kinetic.observations);
    const double plateau = values.at("dcx") * values.at("r2") * 30.0 / (values.at("kirr") * values.at("r1"));
    EXPECT_EQ(sorbed.front(), 0.0);
    for (std::size_t k = 1; k < sorbed.size(); ++k) {
        EXPECT_GT(sorbed[k], sorbed[k - 1]);
        EXPECT_LT(sorbed[k], plateau);
    }

    // Every run of the cycle appended its block to the shared archive.
    const std::string archive = run.archive();
    std::size_t blocks = 0;
    for (std::size_t at = archive.find("***New Simulation***"); at != std::string::npos;
         at = archive.find("***New Simulation***", at + 1)) {
        ++blocks;
    }
    EXPECT_EQ(blocks, 3u);
}

}  // namespace
