// colfit as users start it: by its absolute path from another folder, or as ./colfit inside the run
// directory, with standard input empty. The calibration example's fit writes every file, flags the
// pair of parameters its curve cannot tell apart, and keeps its summary valid JSON; fit_input.txt
// runs in coltrans as it is and gives the fitted curve, in each model family; a fit that does not
// converge writes its files and ends with status 1; several starts report how far they spread.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/colfit_run_directory.hpp"

namespace {

namespace fs = std::filesystem;
using colfit_e2e::FitRun;
using colfit_e2e::kOutputs;
using test_support::ProgramRun;

// Lines 2 on of a file of numbers separated by blanks or tabs (after a heading of `skip` lines).
std::vector<std::vector<double>> table(const std::string& text, int skip) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    for (int k = 0; std::getline(in, line); ++k) {
        if (k < skip) continue;
        std::istringstream fields(line);
        std::vector<double> row;
        for (double v; fields >> v;) row.push_back(v);
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

std::string records(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text.append(line).append("\r\n");
    return text;
}

// Dcx R1 R2 Kirr U tp th l2 C0 M0 A0 SimMode, with Dcx and U estimated (and par3 for sorption).
std::string pars_to_fit(double sim_mode, bool sorption) {
    const double value[12] = {sorption ? 0.2 : 0.8,
                              sorption ? 0.5 : 0.0,
                              sorption ? 0.05 : 0.0,
                              sorption ? 0.01 : 0.0,
                              1.5,
                              20.0,
                              0.35,
                              0.0,
                              1.0,
                              0.0,
                              1.0,
                              sim_mode};
    std::vector<std::string> lines{"value fit lower upper label"};
    for (int r = 0; r < 12; ++r) {
        const bool estimated = r == 0 || r == (sorption ? 1 : 4);
        std::ostringstream line;
        line.precision(17);
        line << value[r] << ' ' << (estimated ? 1 : 0) << " 1e-3 100 p" << r + 1;
        lines.push_back(line.str());
    }
    return records(lines);
}

// Synthetic measurements: an instantaneous injection without reactions (closed form) at x = 15 cm,
// or a sorbed concentration rising towards a plateau over a falling solute series; a few per cent of
// deterministic scatter.
void write_synthetic(const FitRun& run, bool sorption) {
    std::vector<std::string> times{"t x"}, data{"measured weight"};
    for (int k = 0; k < 40; ++k) {
        const double scatter = 1.0 + 0.03 * std::sin(3.0 * k);
        std::ostringstream point, value;
        point.precision(17);
        value.precision(17);
        if (sorption) {
            const double t = 0.5 * k;
            point << t << ' ' << 10.0 * std::exp(-0.1 * t) + 4.0;
            value << 6.0 * (1.0 - std::exp(-0.4 * t)) * scatter << ' ' << 10.0;
        } else {
            const double t = 2.0 + 0.25 * k, d = 0.5, u = 2.0, x = 15.0;
            const double g =
                std::exp(-(x - u * t) * (x - u * t) / (4 * d * t)) / std::sqrt(M_PI * d * t) -
                u / (2 * d) * std::exp(u * x / d) * std::erfc((x + u * t) / (2 * std::sqrt(d * t)));
            point << t << ' ' << x;
            value << g / (0.35 * 20.0) * scatter << ' ' << 1000.0;
        }
        times.push_back(point.str());
        data.push_back(value.str());
    }
    run.write("SystemFiles/TimeAndCoords.txt", records(times));
    run.write("SystemFiles/ExpData.txt", records(data));
    run.write("SystemFiles/ParsToFit.txt", pars_to_fit(sorption ? 12.0 : 0.0, sorption));
}

// The calibration example, fitted once by the program's absolute path from another folder.
class CalibrationFit : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        run_ = std::make_unique<FitRun>();
        result_ = run_->by_absolute_path();
    }
    static void TearDownTestSuite() { run_.reset(); }
    static std::unique_ptr<FitRun> run_;
    static ProgramRun result_;
};
std::unique_ptr<FitRun> CalibrationFit::run_;
ProgramRun CalibrationFit::result_;

TEST_F(CalibrationFit, StartedEitherWayItWritesTheSameFitIntoTheRunDirectoryAlone) {
    ASSERT_EQ(result_.status, 0) << result_.out << result_.err;
    for (const std::string& name : kOutputs) EXPECT_TRUE(run_->has(name)) << name;
    EXPECT_TRUE(fs::is_empty(run_->elsewhere()));  // no message file, nothing else where it was started
    FitRun inside;
    const ProgramRun second = inside.inside();
    ASSERT_EQ(second.status, 0) << second.out << second.err;
    EXPECT_EQ(inside.read("fit_parameters.par"), run_->read("fit_parameters.par"));
}

TEST_F(CalibrationFit, ThePairOfParametersTheCurveCannotTellApartIsFlagged) {
    const std::string warning = "R1 and Kirr are strongly correlated";
    EXPECT_NE(run_->read("fit_report.txt").find(warning), std::string::npos);
    EXPECT_NE(run_->read("fit_summary.json").find(warning), std::string::npos);
}

TEST_F(CalibrationFit, TheSummaryHoldsNoNumberThatJsonLacks) {
    const std::string json = run_->read("fit_summary.json");
    for (const char* token : {"nan", "NaN", "inf", "Inf"})
        EXPECT_EQ(json.find(token), std::string::npos) << token;
    EXPECT_NE(json.find("\"converged\": true"), std::string::npos);
    EXPECT_NE(json.find("\"confidence_interval_95\": null"), std::string::npos);  // a tied parameter's
}

TEST(FitRuns, FitInputRunsInTheSimulatorAndGivesTheFittedCurve) {
    for (const char* family : {"broad pulse", "instantaneous injection", "sorption"}) {
        SCOPED_TRACE(family);
        FitRun run;
        if (std::string(family) != "broad pulse") write_synthetic(run, std::string(family) == "sorption");
        const ProgramRun fit = run.by_absolute_path();
        ASSERT_EQ(fit.status, 0) << fit.out << fit.err;

        test_support::TempDir dir;
        fs::create_directories(dir / "Saved_Simulations");
        fs::create_directories(dir / "run");
        fs::copy_file(run.path() / "fit_input.txt", dir.path() / "run" / "input.txt");
        fs::copy_file(test_support::built_program("coltrans"), dir.path() / "run" / "coltrans");
        test_support::ProgramOptions options;
        options.executable = dir.path() / "run" / "coltrans";
        options.working_directory = dir.path();
        const ProgramRun simulation = test_support::run_program(options);
        ASSERT_EQ(simulation.status, 0) << simulation.out << simulation.err;

        const auto printed = table(test_support::read_file(dir.path() / "run" / "print.txt"), 3);
        const auto fitted = table(run.read("fit_curve.txt"), 1);
        ASSERT_EQ(printed.size(), fitted.size());
        double scale = 0.0;
        for (const auto& row : fitted) scale = std::max(scale, std::fabs(row[2]));
        for (std::size_t i = 0; i < fitted.size(); ++i) {
            EXPECT_EQ(printed[i][0], fitted[i][0]);
            // print.txt holds 10 significant digits.
            EXPECT_NEAR(printed[i][2], fitted[i][3], 1e-8 * scale + 1e-9 * std::fabs(fitted[i][3])) << i;
        }
    }
}

TEST(FitRuns, AFitThatDoesNotConvergeWritesItsFilesAndEndsWithStatusOne) {
    FitRun run;
    const ProgramRun fit = run.by_absolute_path({"--max-iterations", "1"});
    EXPECT_EQ(fit.status, 1) << fit.out << fit.err;
    for (const std::string& name : kOutputs) EXPECT_TRUE(run.has(name)) << name;
    EXPECT_NE(run.read("fit_summary.json").find("\"converged\": false"), std::string::npos);
    EXPECT_NE(run.read("fit_report.txt").find("did not converge"), std::string::npos);
}

TEST(FitRuns, SeveralStartsReportHowManyReachTheBestAndHowFarTheySpread) {
    FitRun run;
    write_synthetic(run, false);
    const ProgramRun fit = run.inside({"--starts", "4"});
    ASSERT_EQ(fit.status, 0) << fit.out << fit.err;
    const std::string json = run.read("fit_summary.json");
    EXPECT_NE(json.find("\"starts\": 4"), std::string::npos) << json;
    // Starts from far out in the bounds may end on a plateau where the curve vanishes; those that
    // reach the best agree far within a standard error.
    const std::size_t reached = json.find("\"reached_best\": ");
    ASSERT_NE(reached, std::string::npos) << json;
    EXPECT_GE(std::stoi(json.substr(reached + 16)), 2) << json;
    for (std::size_t at = json.find("\"in_standard_errors\": "); at != std::string::npos;
         at = json.find("\"in_standard_errors\": ", at + 1)) {
        EXPECT_LT(std::stod(json.substr(at + 22)), 0.1) << json;
    }
}

}  // namespace
